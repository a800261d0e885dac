PRAGMA user_version = 1;
CREATE TABLE events (RowNo INTEGER PRIMARY KEY, EvName TEXT, EvDate TEXT, EvTime TEXT, EvType INTEGER,
  EvRec INTEGER, EvShutType INTEGER, EvPath TEXT, EvParam TEXT, EvURL TEXT, EvMMAddress TEXT,
  EvMMSubj TEXT, EvCS TEXT, EvIntBTime TEXT, EvIntETime TEXT, EvInterval INTEGER, EvRecMonth INTEGER);
