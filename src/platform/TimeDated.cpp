// Setting the system clock through the time-and-date service comes here.
