PRAGMA synchronous = OFF;
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, favicon_id INTEGER, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER);
CREATE UNIQUE INDEX moz_places_url_uniqueindex ON moz_places (url);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER);
INSERT INTO moz_bookmarks VALUES (1,2,NULL,0,0,NULL,NULL,NULL,1,1), (2,2,NULL,1,0,'Bookmarks Menu',NULL,NULL,1,1), (3,2,NULL,1,1,'Bookmarks Toolbar',NULL,NULL,1,1), (4,2,NULL,1,2,'Tags',NULL,NULL,1,1), (5,2,NULL,1,3,'Unsorted Bookmarks',NULL,NULL,1,1);
