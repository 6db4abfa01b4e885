#pragma once
// The bodies of the fuzz targets. The fuzzers (fuzz_*.cpp, built with clang's libFuzzer) and the
// corpus replay in the tests run the same code. Each body aborts on a broken invariant; thrown
// kv::Error is the program's normal answer to a bad file and is fine.

#include "common/errors.h"
#include "common/programdir.h"
#include "common/settings.h"
#include "common/textfile.h"
#include "common/zipparts.h"
#include "history/tournamenttables.h"
#include "tournament/spreadsheet.h"
#include "tournament/standings.h"
#include "tournament/tournamentpress.h"
#include "tournament/xlsxworkbook.h"

#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <sstream>
#include <vector>

namespace kvfuzz {

inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Any bytes as a text file: decoding never fails, lines hold no line breaks, and what we write
// reads back as the same lines.
inline void textFile(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const kv::DecodedText decoded = kv::decodeText(bytes);
    const QStringList lines = kv::splitLines(decoded.text);
    for (const QString& line : lines)
        check(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')),
              "a line holds a line break");
    check(kv::splitLines(kv::toCrLf(decoded.text)) == lines, "CR LF changes the lines");
    QString joined;
    for (const QString& line : lines)
        joined += line + QLatin1String("\r\n");
    for (kv::TextEncoding encoding : {kv::TextEncoding::Plain, kv::TextEncoding::Utf8Bom,
                                      kv::TextEncoding::Utf16LE, kv::TextEncoding::Utf16BE}) {
        const kv::DecodedText back = kv::decodeText(kv::encodeText(joined, encoding));
        // Lone surrogates cannot survive any Unicode encoding; everything else must.
        if (joined.isValidUtf16())
            check(kv::splitLines(back.text) == lines, "written lines read back differently");
    }
    check(kv::lineAt(lines, lines.size()).isEmpty(), "past the end is not empty");
}

// Any bytes as "settings.ini": every reader ends, and either answers or throws our error.
inline void settingsReaders(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    static const bool entered = QDir::setCurrent(dir.path());
    check(entered, "cannot enter a temporary folder");
    kv::writeBytes(kv::settings::kFileName,
                   QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const kv::settings::Values read = kv::settings::read();
    check(!read.askFlag.contains(QLatin1Char('\n')), "line 1 holds a line break");
    check(read.players.size() == 3, "not three names");
    try {
        (void)read.logAllFlag();
    } catch (const kv::Error& e) {
        check(e.text().endsWith(QStringLiteral("is not a valid integer value")),
              "unexpected error");
    }
}

// The input cut into texts at every 0xFF byte (a byte no UTF-8 text holds).
inline QList<QByteArray> splitInput(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
        .split('\xff');
}

// A score box as the players type it, decided independently of kv::strToInt: blanks, a sign,
// decimal digits, 32-bit range.
inline std::optional<qint64> boxValue(const QString& text) {
    static const QRegularExpression shape(QStringLiteral("\\A *([+-]?)0*([0-9]+)\\z"));
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch() || m.capturedLength(2) > 10)
        return std::nullopt;
    qint64 value = m.capturedView(2).toLongLong();
    if (m.capturedView(1) == QLatin1String("-"))
        value = -value;
    if (value < -2147483648LL || value > 2147483647LL)
        return std::nullopt;
    return value;
}

// The all-time table of a new data folder, in memory: the standings as they are stored.
inline QSqlDatabase totalDatabase() {
    static const QString name = QStringLiteral("kvfuzz-total");
    if (!QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        check(db.open(), "cannot open an in-memory database");
        QSqlQuery(db).exec(QStringLiteral(
            "CREATE TABLE Total (id INTEGER PRIMARY KEY AUTOINCREMENT, \"Игрок\" TEXT NOT NULL, "
            "\"Побед\" INTEGER NOT NULL DEFAULT 0, \"Ничьих\" INTEGER NOT NULL DEFAULT 0, "
            "\"Поражений\" INTEGER NOT NULL DEFAULT 0, \"Забито\" INTEGER NOT NULL DEFAULT 0, "
            "\"Пропущено\" INTEGER NOT NULL DEFAULT 0, \"Разница\" INTEGER NOT NULL DEFAULT 0, "
            "\"Очки\" INTEGER NOT NULL DEFAULT 0, \"Первый\" INTEGER NOT NULL DEFAULT 0, "
            "\"Второй\" INTEGER NOT NULL DEFAULT 0, \"Третий\" INTEGER NOT NULL DEFAULT 0)"));
    }
    return QSqlDatabase::database(name);
}

// Twelve score box texts (Edit1 .. Edit12, cut at 0xFF bytes, UTF-8): the standings are either
// computed with consistent figures, or the first box the computation reads that is not a whole
// number is named in the one error text; the figures shown before it are right. Computed
// standings are stored twice in the all-time table and must add up there without overflow.
inline void standings(const std::uint8_t* data, std::size_t size) {
    QStringList boxes;
    for (const QByteArray& piece : splitInput(data, size))
        boxes.append(QString::fromUtf8(piece));

    // The figures the window must show, in order, up to the first bad box.
    struct Shown {
        int player;
        kv::StandingField field;
        QString text;
        bool operator==(const Shown&) const = default;
    };
    QList<Shown> expected;
    std::optional<QString> expectedError;
    std::array<std::array<qint64, 3>, 3> totals{}; // goals for, against, points per player
    const auto show = [&](int p, kv::StandingField f, qint64 v) {
        expected.append({p, f, QString::number(v)});
    };
    for (int p = 0; p < 3 && !expectedError; ++p) {
        const auto& matches = kv::ownMatches(p);
        std::array<qint64, 4> own{}, opp{};
        qint64 goalsFor = 0, goalsAgainst = 0;
        for (int m = 0; m < 4 && !expectedError; ++m) {
            const auto v = boxValue(boxes.value(matches[m].own));
            if (!v)
                expectedError = boxes.value(matches[m].own);
            else
                goalsFor += own[m] = *v;
        }
        if (expectedError)
            break;
        show(p, kv::StandingField::GoalsFor, goalsFor);
        for (int m = 0; m < 4 && !expectedError; ++m) {
            const auto v = boxValue(boxes.value(matches[m].opponent));
            if (!v)
                expectedError = boxes.value(matches[m].opponent);
            else
                goalsAgainst += opp[m] = *v;
        }
        if (expectedError)
            break;
        int wins = 0, draws = 0, losses = 0;
        for (int m = 0; m < 4; ++m)
            (own[m] > opp[m] ? wins : own[m] == opp[m] ? draws : losses) += 1;
        show(p, kv::StandingField::GoalsAgainst, goalsAgainst);
        show(p, kv::StandingField::Difference, goalsFor - goalsAgainst);
        show(p, kv::StandingField::Wins, wins);
        show(p, kv::StandingField::Draws, draws);
        show(p, kv::StandingField::Losses, losses);
        show(p, kv::StandingField::Points, 3 * wins + draws);
        totals[p] = {goalsFor, goalsAgainst, 3 * wins + draws};
    }

    QList<Shown> shown;
    std::optional<kv::Standings> result;
    try {
        result = kv::computeStandings(boxes, [&](int p, kv::StandingField f, const QString& t) {
            shown.append({p, f, t});
        });
    } catch (const kv::Error& e) {
        check(expectedError.has_value(), "a valid box was refused");
        check(e.text() == QStringLiteral("'%1' is not a valid integer value").arg(*expectedError),
              "the error names another box or reads differently");
        check(shown == expected, "the figures shown before the error are wrong");
        return;
    }
    check(!expectedError, "a bad box was taken");
    check(shown.size() == expected.size() + 3, "not every figure was shown");
    check(shown.mid(0, expected.size()) == expected, "a figure is wrong");

    const kv::Standings& s = *result;
    qint64 allFor = 0, allAgainst = 0;
    int allWins = 0, allLosses = 0;
    for (int p = 0; p < 3; ++p) {
        const kv::PlayerStanding& st = s.players[p];
        const Shown& place = shown[expected.size() + p];
        check(place.player == p && place.field == kv::StandingField::Place, "places out of order");
        check(place.text == QLatin1String("1") || place.text == QLatin1String("2") ||
                  place.text == QLatin1String("3"),
              "a place is not 1, 2 or 3");
        check(place.text == QString::number(s.places[p]), "the place shown is not the place");
        check(st.points == 3 * st.wins + st.draws, "points are not 3 per win and 1 per draw");
        check(st.wins + st.draws + st.losses == 4, "not four matches");
        check(st.goalsFor == totals[p][0] && st.goalsAgainst == totals[p][1], "goals are wrong");
        check(st.difference == st.goalsFor - st.goalsAgainst, "difference is wrong");
        allFor += st.goalsFor;
        allAgainst += st.goalsAgainst;
        allWins += st.wins;
        allLosses += st.losses;
    }
    check(allFor == allAgainst, "goals scored differ from goals conceded");
    check(allWins == allLosses, "wins differ from losses");

    // What "Записать в базу" stores: the labels' texts, added twice (a new row, then sums).
    QSqlDatabase db = totalDatabase();
    QSqlQuery(db).exec(QStringLiteral("DELETE FROM Total"));
    std::array<kv::PlayerEntry, 3> entries;
    for (int p = 0; p < 3; ++p) {
        kv::PlayerEntry& e = entries[p];
        e.name = QStringLiteral("P%1").arg(p);
        const auto text = [&](kv::StandingField f) {
            return shown[p * 7 + static_cast<int>(f)].text;
        };
        const auto number = [&](kv::StandingField f) { return text(f).toLongLong(); };
        e.figures = {number(kv::StandingField::Wins),
                     number(kv::StandingField::Draws),
                     number(kv::StandingField::Losses),
                     number(kv::StandingField::GoalsFor),
                     number(kv::StandingField::GoalsAgainst),
                     number(kv::StandingField::Difference),
                     number(kv::StandingField::Points),
                     kv::placeCounters(shown[expected.size() + p].text.toInt())};
    }
    for (int round = 0; round < 2; ++round)
        for (const kv::PlayerEntry& e : entries)
            kv::UpdateTotal(db, e);
    QSqlQuery read(db);
    check(read.exec(QStringLiteral("SELECT Забито, Пропущено, Разница, Очки, typeof(Забито), "
                                   "typeof(Разница) FROM Total ORDER BY Игрок")),
          "the all-time table cannot be read");
    for (int p = 0; p < 3; ++p) {
        check(read.next(), "a player is missing from the all-time table");
        check(read.value(4).toString() == QLatin1String("integer") &&
                  read.value(5).toString() == QLatin1String("integer"),
              "the all-time table holds no whole numbers");
        check(read.value(0).toLongLong() == 2 * totals[p][0] &&
                  read.value(1).toLongLong() == 2 * totals[p][1] &&
                  read.value(2).toLongLong() == 2 * (totals[p][0] - totals[p][1]) &&
                  read.value(3).toLongLong() == 2 * totals[p][2],
              "the all-time table adds up wrongly");
    }
}

// A 1 x 1 PNG, the stand-in for a prize picture.
inline const QByteArray& tinyPng() {
    static const QByteArray png = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
        "1f15c4890000000d49444154789c6360f8cfc0000003010100c9fe92ef0000000049454e44ae426082");
    return png;
}

// The real workbook behind the steps of the tournament sheet, without the desktop: pictures
// come as ready PNG bytes and the workbook is saved to a given file.
class WorkbookSpreadsheet : public kv::Spreadsheet {
public:
    explicit WorkbookSpreadsheet(QString output) : output_(std::move(output)) {}
    void openTemplate(const QString& path) override {
        book_ = std::make_unique<kv::XlsxWorkbook>(path);
    }
    void setCell(const QString& cell, const QString& text) override {
        book_->setCell(position(cell), text);
    }
    void selectCell(const QString& cell) override { selected_ = position(cell); }
    void insertPicture(const QString& path) override {
        if (!path.isEmpty())
            book_->addPicture(selected_, tinyPng(), 64, 64);
    }
    void makeVisible(Answer answered) override {
        book_->save(output_);
        if (answered)
            answered(true, output_);
    }

private:
    static kv::CellPosition position(const QString& cell) {
        const auto at = kv::parseCellName(cell);
        check(at.has_value(), "the sheet names a cell that does not parse");
        return *at;
    }
    QString output_;
    std::unique_ptr<kv::XlsxWorkbook> book_;
    kv::CellPosition selected_;
};

class WorkbookFactory : public kv::SpreadsheetFactory {
public:
    explicit WorkbookFactory(QString output) : output_(std::move(output)) {}

protected:
    std::unique_ptr<kv::Spreadsheet> make() override {
        return std::make_unique<WorkbookSpreadsheet>(output_);
    }

private:
    QString output_;
};

// What XML 1.0 lets a document hold: tab, LF, CR and everything from U+0020 except lone
// surrogates, U+FFFE and U+FFFF.
inline QString xmlCharacters(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += text.mid(i++, 2);
        } else if (QChar::isSurrogate(u) || u == 0xFFFE || u == 0xFFFF ||
                   (u < 0x20 && u != 0x09 && u != 0x0A && u != 0x0D)) {
            continue;
        } else {
            out += QChar(u);
        }
    }
    return out;
}

// A cell text as an office suite reads it: every "_xHHHH_" stands for the character HHHH.
inline QString officeText(const QString& stored) {
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype from = 0;
    for (auto it = escape.globalMatch(stored); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += stored.mid(from, m.capturedStart() - from);
        out += QChar(static_cast<char16_t>(m.capturedView(1).toUShort(nullptr, 16)));
        from = m.capturedEnd();
    }
    return out + stored.mid(from);
}

// Parsed as an XML reader must: blanks that stand alone in an element are text too.
inline pugi::xml_document parseXml(const QByteArray& bytes) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()),
                        pugi::parse_default | pugi::parse_ws_pcdata);
    check(parsed && doc.document_element(), "a part is not well-formed XML");
    return doc;
}

// The cells of a sheet part by name, serialized, checking that rows and cells stand in order.
inline QHash<QString, pugi::xml_node> sheetCells(const pugi::xml_document& sheet) {
    QHash<QString, pugi::xml_node> cells;
    int lastRow = 0;
    for (pugi::xml_node row : sheet.document_element().child("sheetData").children()) {
        if (row.type() != pugi::node_element)
            continue;
        check(std::string(row.name()) == "row", "sheetData holds something else than rows");
        const int r = row.attribute("r").as_int();
        check(r > lastRow, "rows are not in increasing order");
        lastRow = r;
        int lastColumn = -1;
        for (pugi::xml_node c : row.children()) {
            if (c.type() != pugi::node_element)
                continue;
            const QString name = QString::fromUtf8(c.attribute("r").value());
            const auto at = kv::parseCellName(name);
            check(at && at->row == r, "a cell stands in another row");
            check(at->column > lastColumn, "cells are not in increasing column order");
            lastColumn = at->column;
            cells.insert(name, c);
        }
    }
    return cells;
}

inline QByteArray serialized(const pugi::xml_node& node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw);
    return QByteArray::fromStdString(out.str());
}

// The tournament sheet filled from the real template with thirteen texts (players, teams, the
// six sides of the first leg, the best scorer; cut at 0xFF bytes). The first byte chooses how
// the rest is decoded (bit 0: UTF-8, or raw UTF-16 so that lone surrogates come through) and
// whether the two prize pictures go in (bit 1). The saved workbook must unzip, every XML part
// must parse, the cells must stand in order, every other cell must stay as the template has it,
// and each text must read back as written less the characters XML cannot hold.
inline void workbookFill(const std::uint8_t* data, std::size_t size,
                         const kv::ProgramFiles& files) {
    if (size == 0)
        return;
    const bool utf16 = data[0] & 1;
    const bool pictures = data[0] & 2;
    QStringList texts;
    for (const QByteArray& piece : splitInput(data + 1, size - 1))
        texts.append(utf16
                         ? QString::fromUtf16(reinterpret_cast<const char16_t*>(piece.constData()),
                                              piece.size() / 2)
                         : QString::fromUtf8(piece));
    const auto text = [&](int i) { return texts.value(i); };

    static QTemporaryDir dir;
    check(dir.isValid(), "cannot make a temporary folder");
    const QString output = dir.filePath(QStringLiteral("filled.xlsx"));
    const QString templatePath = files.sheetTemplate();
    WorkbookFactory factory(output);
    kv::Tournament input;
    input.players = {text(0), text(1), text(2)};
    input.teams = {text(3), text(4), text(5)};
    input.matches = {text(6), text(7), text(8), text(9), text(10), text(11)};
    const QString picture = pictures ? QStringLiteral("prize.png") : QString();
    kv::fillTournamentSheet(factory, input, {picture, picture, text(12)}, files);

    static std::vector<kv::ZipPart> templateParts;
    static pugi::xml_document templateSheet;
    QString why;
    if (templateParts.empty()) {
        check(kv::readZipParts(templatePath, templateParts, why), "the template does not unzip");
        for (const kv::ZipPart& part : templateParts)
            if (part.name == QLatin1String("xl/worksheets/sheet1.xml"))
                templateSheet.reset(parseXml(part.bytes));
    }
    std::vector<kv::ZipPart> parts;
    check(kv::readZipParts(output, parts, why), "the filled workbook does not unzip");
    QHash<QString, QByteArray> byName;
    for (const kv::ZipPart& part : parts) {
        check(!byName.contains(part.name), "a part is there twice");
        byName.insert(part.name, part.bytes);
        if (part.name.endsWith(QLatin1String(".xml")) || part.name.endsWith(QLatin1String(".rels")))
            (void)parseXml(part.bytes);
    }
    for (const kv::ZipPart& part : templateParts)
        check(byName.contains(part.name), "a part of the template is missing");
    check(byName.size() == qsizetype(templateParts.size()) + (pictures ? 5 : 0),
          "unexpected parts");
    if (pictures) {
        check(byName.value(QStringLiteral("xl/media/image1.png")) == tinyPng() &&
                  byName.value(QStringLiteral("xl/media/image2.png")) == tinyPng(),
              "a picture is not stored as given");
        const pugi::xml_document drawing =
            parseXml(byName.value(QStringLiteral("xl/drawings/drawing1.xml")));
        int anchors = 0;
        for (pugi::xml_node a : drawing.document_element().children("xdr:oneCellAnchor")) {
            const pugi::xml_node from = a.child("xdr:from");
            check(from.child("xdr:row").text().as_int() == 14 &&
                      from.child("xdr:col").text().as_int() == 1 + anchors,
                  "a picture is anchored elsewhere");
            ++anchors;
        }
        check(anchors == 2, "not two pictures");
    }

    const pugi::xml_document sheet =
        parseXml(byName.value(QStringLiteral("xl/worksheets/sheet1.xml")));
    const QHash<QString, pugi::xml_node> cells = sheetCells(sheet);
    const QHash<QString, pugi::xml_node> before = sheetCells(templateSheet);
    const std::array<std::pair<const char*, int>, 13> written{{{"A2", 0},
                                                               {"A3", 1},
                                                               {"A4", 2},
                                                               {"B2", 3},
                                                               {"B3", 4},
                                                               {"B4", 5},
                                                               {"B7", 6},
                                                               {"C7", 7},
                                                               {"B8", 8},
                                                               {"C8", 9},
                                                               {"B9", 10},
                                                               {"C9", 11},
                                                               {"D15", 12}}};
    check(cells.size() == before.size(), "cells were added or lost");
    for (auto it = before.begin(); it != before.end(); ++it) {
        check(cells.contains(it.key()), "a cell of the template is missing");
        const bool filled = std::any_of(written.begin(), written.end(), [&](const auto& w) {
            return it.key() == QLatin1String(w.first);
        });
        if (!filled)
            check(serialized(cells[it.key()]) == serialized(it.value()),
                  "a cell the sheet does not fill changed");
    }
    for (const auto& [name, index] : written) {
        const pugi::xml_node c = cells.value(QString::fromLatin1(name));
        const pugi::xml_node old = before.value(QString::fromLatin1(name));
        check(std::string(c.attribute("s").value()) == old.attribute("s").value(),
              "a filled cell lost its style");
        const QString want = xmlCharacters(text(index));
        if (want.isEmpty()) {
            check(!c.attribute("t") && !c.first_child(), "an empty text left a value");
            continue;
        }
        check(std::string(c.attribute("t").value()) == "inlineStr", "a text is no inline string");
        const pugi::xml_node t = c.child("is").child("t");
        check(std::distance(c.children().begin(), c.children().end()) == 1 &&
                  std::distance(c.child("is").children().begin(), c.child("is").children().end()) ==
                      1,
              "a text cell holds more than its text");
        const QString stored = QString::fromUtf8(t.text().get());
        if (officeText(stored) != want)
            std::fprintf(stderr, "%s: wrote %s, stored %s\n", name,
                         want.toUtf8().toPercentEncoding(" ").constData(),
                         stored.toUtf8().toPercentEncoding(" ").constData());
        check(officeText(stored) == want, "a text reads back differently");
        const auto blank = [](QChar ch) { return ch == u' ' || ch == u'\t' || ch == u'\n'; };
        if (blank(stored.front()) || blank(stored.back()))
            check(std::string(t.attribute("xml:space").value()) == "preserve",
                  "outer blanks are not kept");
    }
}

} // namespace kvfuzz
