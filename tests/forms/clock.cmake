# tests: filled in by the unit's author
