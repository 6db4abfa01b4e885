#include "common/xlsxtable.h"

#include "common/errors.h"
#include "common/zipparts.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamWriter>

#include <cstdio>

namespace kv {

QString cellSafeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate()) {
            if (i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                out.append(c);
                out.append(text[++i]);
            }
            continue;
        }
        if (c.isLowSurrogate())
            continue;
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF)
            continue;
        out.append(c);
    }
    // XML readers turn a raw CR (and CR LF) into LF, so CR is written as the escape "_x000D_".
    // Every underscore that would start an escape "_xHHHH_" as written (the closing underscore
    // may be the one of an escaped CR, and escapes may overlap: "_x0041_x0042_") is escaped
    // itself, so that the text reads back as it was given.
    const auto isHex = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    };
    const auto startsEscape = [&](qsizetype i) {
        if (i + 6 >= out.size() || out[i + 1] != u'x')
            return false;
        for (qsizetype k = i + 2; k < i + 6; ++k)
            if (!isHex(out[k]))
                return false;
        return out[i + 6] == u'_' || out[i + 6] == u'\r';
    };
    QString written;
    written.reserve(out.size());
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i] == u'\r')
            written += QStringLiteral("_x000D_");
        else if (out[i] == u'_' && startsEscape(i))
            written += QStringLiteral("_x005F_");
        else
            written += out[i];
    }
    return written;
}

namespace {

const char* const kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const kRels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const kPackageRels = "http://schemas.openxmlformats.org/package/2006/relationships";

// Styles: 0 plain, 1 a date, 2 the bold header.
const char* const kStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"dd.mm.yyyy\"/></numFmts>"
    "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
    "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "</cellStyleXfs>"
    "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
    "applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>"
    "</cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

const char* const kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "</Types>";

QString columnName(int index) {
    QString name;
    for (++index; index > 0; index = (index - 1) / 26)
        name.prepend(QChar(u'A' + (index - 1) % 26));
    return name;
}

QByteArray relationships(const QList<std::pair<const char*, const char*>>& targets) {
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.writeStartDocument();
    w.writeDefaultNamespace(QString::fromLatin1(kPackageRels));
    w.writeStartElement(QStringLiteral("Relationships"));
    int id = 0;
    for (const auto& [type, target] : targets) {
        w.writeStartElement(QStringLiteral("Relationship"));
        w.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(++id));
        w.writeAttribute(QStringLiteral("Type"), QString::fromLatin1(type));
        w.writeAttribute(QStringLiteral("Target"), QString::fromLatin1(target));
        w.writeEndElement();
    }
    w.writeEndDocument();
    return xml;
}

QByteArray workbookPart(const QString& sheetName, const QString& filterRange) {
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.writeStartDocument();
    w.writeDefaultNamespace(QString::fromLatin1(kMain));
    w.writeNamespace(QString::fromLatin1(kRels), QStringLiteral("r"));
    w.writeStartElement(QStringLiteral("workbook"));
    w.writeStartElement(QStringLiteral("sheets"));
    w.writeStartElement(QStringLiteral("sheet"));
    w.writeAttribute(QStringLiteral("name"), sheetName);
    w.writeAttribute(QStringLiteral("sheetId"), QStringLiteral("1"));
    w.writeAttribute(QString::fromLatin1(kRels), QStringLiteral("id"), QStringLiteral("rId1"));
    w.writeEndElement();
    w.writeEndElement();
    // The filter's range, as office suites name it for the filter to work.
    w.writeStartElement(QStringLiteral("definedNames"));
    w.writeStartElement(QStringLiteral("definedName"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("_xlnm._FilterDatabase"));
    w.writeAttribute(QStringLiteral("localSheetId"), QStringLiteral("0"));
    w.writeAttribute(QStringLiteral("hidden"), QStringLiteral("1"));
    w.writeCharacters(QStringLiteral("'%1'!%2").arg(QString(sheetName).replace('\'', "''"),
                                                    filterRange));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

void writeCell(QXmlStreamWriter& w, const QString& ref, const TableCell& cell, bool header) {
    if (const QString* text = std::get_if<QString>(&cell)) {
        const QString safe = cellSafeText(*text);
        if (safe.isEmpty())
            return;
        w.writeStartElement(QStringLiteral("c"));
        w.writeAttribute(QStringLiteral("r"), ref);
        if (header)
            w.writeAttribute(QStringLiteral("s"), QStringLiteral("2"));
        w.writeAttribute(QStringLiteral("t"), QStringLiteral("inlineStr"));
        w.writeStartElement(QStringLiteral("is"));
        w.writeStartElement(QStringLiteral("t"));
        if (safe.front().isSpace() || safe.back().isSpace())
            w.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        w.writeCharacters(safe);
        w.writeEndElement();
        w.writeEndElement();
        w.writeEndElement();
        return;
    }
    QString value;
    bool date = false;
    if (const qint64* number = std::get_if<qint64>(&cell)) {
        value = QString::number(*number);
    } else {
        const QDate day = std::get<QDate>(cell);
        if (!day.isValid())
            return;
        // Days since 30.12.1899, the epoch of the 1900 date system.
        value = QString::number(QDate(1899, 12, 30).daysTo(day));
        date = true;
    }
    w.writeStartElement(QStringLiteral("c"));
    w.writeAttribute(QStringLiteral("r"), ref);
    if (date)
        w.writeAttribute(QStringLiteral("s"), QStringLiteral("1"));
    w.writeTextElement(QStringLiteral("v"), value);
    w.writeEndElement();
}

QByteArray sheetPart(const QStringList& header, const QList<TableRow>& rows,
                     const QString& filterRange) {
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.writeStartDocument();
    w.writeDefaultNamespace(QString::fromLatin1(kMain));
    w.writeStartElement(QStringLiteral("worksheet"));
    w.writeStartElement(QStringLiteral("sheetViews"));
    w.writeStartElement(QStringLiteral("sheetView"));
    w.writeAttribute(QStringLiteral("workbookViewId"), QStringLiteral("0"));
    w.writeStartElement(QStringLiteral("pane"));
    w.writeAttribute(QStringLiteral("ySplit"), QStringLiteral("1"));
    w.writeAttribute(QStringLiteral("topLeftCell"), QStringLiteral("A2"));
    w.writeAttribute(QStringLiteral("activePane"), QStringLiteral("bottomLeft"));
    w.writeAttribute(QStringLiteral("state"), QStringLiteral("frozen"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("cols"));
    for (int c = 0; c < header.size(); ++c) {
        w.writeStartElement(QStringLiteral("col"));
        w.writeAttribute(QStringLiteral("min"), QString::number(c + 1));
        w.writeAttribute(QStringLiteral("max"), QString::number(c + 1));
        w.writeAttribute(QStringLiteral("width"), QString::number(std::max(12, int(header[c].size()) + 4)));
        w.writeAttribute(QStringLiteral("customWidth"), QStringLiteral("1"));
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("sheetData"));
    for (int r = -1; r < rows.size(); ++r) {
        w.writeStartElement(QStringLiteral("row"));
        w.writeAttribute(QStringLiteral("r"), QString::number(r + 2));
        const int cells = r < 0 ? int(header.size()) : int(rows[r].size());
        for (int c = 0; c < cells; ++c)
            writeCell(w, columnName(c) + QString::number(r + 2),
                      r < 0 ? TableCell(header[c]) : rows[r][c], r < 0);
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeStartElement(QStringLiteral("autoFilter"));
    w.writeAttribute(QStringLiteral("ref"), filterRange);
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

} // namespace

void writeTableWorkbook(const QString& path, const QString& sheetName, const QStringList& header,
                        const QList<TableRow>& rows) {
    const QString range = QStringLiteral("$A$1:$%1$%2")
                              .arg(columnName(int(std::max<qsizetype>(header.size(), 1)) - 1))
                              .arg(rows.size() + 1);
    const std::vector<ZipPart> parts{
        {QStringLiteral("[Content_Types].xml"), QByteArray(kContentTypes)},
        {QStringLiteral("_rels/.rels"),
         relationships({{"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                         "officeDocument",
                         "xl/workbook.xml"}})},
        {QStringLiteral("xl/workbook.xml"), workbookPart(sheetName, range)},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         relationships({{"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                         "worksheet",
                         "worksheets/sheet1.xml"},
                        {"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                         "styles",
                         "styles.xml"}})},
        {QStringLiteral("xl/styles.xml"), QByteArray(kStyles)},
        {QStringLiteral("xl/worksheets/sheet1.xml"), sheetPart(header, rows, range)}};
    // Written beside the file and put in its place whole: a failure never leaves half a workbook
    // where an older one was.
    const QString temporary = QFileInfo(path).absolutePath() + QStringLiteral("/.") +
                              QFileInfo(path).fileName() + QStringLiteral(".part");
    writeZipParts(temporary, parts);
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) !=
        0) {
        QFile::remove(temporary);
        throw cannotCreate(path, QStringLiteral("файл не удалось поставить на место"));
    }
}

} // namespace kv
