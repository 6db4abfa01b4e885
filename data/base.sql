-- The all-time table of a new installation; tournament tables are added by the program.
CREATE TABLE Total (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    "Игрок" TEXT NOT NULL,
    "Побед" INTEGER NOT NULL DEFAULT 0,
    "Ничьих" INTEGER NOT NULL DEFAULT 0,
    "Поражений" INTEGER NOT NULL DEFAULT 0,
    "Забито" INTEGER NOT NULL DEFAULT 0,
    "Пропущено" INTEGER NOT NULL DEFAULT 0,
    "Разница" INTEGER NOT NULL DEFAULT 0,
    "Очки" INTEGER NOT NULL DEFAULT 0,
    "Первый" INTEGER NOT NULL DEFAULT 0,
    "Второй" INTEGER NOT NULL DEFAULT 0,
    "Третий" INTEGER NOT NULL DEFAULT 0
);
