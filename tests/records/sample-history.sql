-- Three evenings of three players (score cells home'-'away, the row the home player), an
-- evening with a cell the program never writes, and a table of someone else's.
CREATE TABLE "01_03_2024__20_00_00" (id INT, Player VARCHAR(255), "-" VARCHAR(255), Team1 VARCHAR(255), Team2 VARCHAR(255), Team3 VARCHAR(255), Goals VARCHAR(255), Scores VARCHAR(255), Rank VARCHAR(3), PRIMARY KEY (id));
INSERT INTO "01_03_2024__20_00_00" VALUES (1,'Зурко','Реал Мадрид','-','2''-''0','3''-''0','7''-''1','10','1'), (2,'Пенва','Ювентус','1''-''1','-','1''-''0','4''-''5','5','2'), (3,'Лодыш','Бавария','0''-''1','2''-''2','-','2''-''7','1','3');
CREATE TABLE "02_03_2024__20_00_00" AS SELECT * FROM "01_03_2024__20_00_00" WHERE 0;
INSERT INTO "02_03_2024__20_00_00" VALUES (1,'Зурко','Реал Мадрид','-','9''-''0','0''-''0','11''-''2','7','2'), (2,'Пенва','Милан','0''-''1','-','3''-''3','3''-''14','1','3'), (3,'Лодыш','Бавария','2''-''1','1''-''0','-','6''-''4','8','1');
CREATE TABLE "03_03_2024__20_00_00" AS SELECT * FROM "01_03_2024__20_00_00" WHERE 0;
INSERT INTO "03_03_2024__20_00_00" VALUES (1,'Зурко','Реал Мадрид','-','0''-''9','2''-''1','3''-''13','4','2'), (2,'Пенва','Ювентус','2''-''0','-','0''-''0','12''-''0','10','1'), (3,'Лодыш','Бавария Мюнхен','1''-''1','0''-''1','-','2''-''4','2','3');
CREATE TABLE "04_03_2024__20_00_00" AS SELECT * FROM "01_03_2024__20_00_00";
UPDATE "04_03_2024__20_00_00" SET Scores = 'семь' WHERE id = 2;
CREATE TABLE Заметки (id INT, text TEXT);
CREATE TABLE kickvale_best_scorer (tournament TEXT PRIMARY KEY, player TEXT);
INSERT INTO kickvale_best_scorer VALUES ('03_03_2024__20_00_00', 'Пенва');
