#include "tournament/xlsxworkbook.h"

#include "common/errors.h"
#include "common/zipparts.h"

#include <QDir>
#include <QFileInfo>

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

namespace {

constexpr const char* kRelsNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kDrawingMainNs = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr const char* kOfficeDocumentType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
constexpr const char* kDrawingType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing";
constexpr const char* kImageType =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
constexpr const char* kDrawingContentType =
    "application/vnd.openxmlformats-officedocument.drawing+xml";

constexpr int kEmuPerPixel = 9525; // at 96 dpi

// The children of <worksheet> in the order the schema demands; anything we add goes in its place.
constexpr std::array<const char*, 38> kWorksheetOrder = {"sheetPr",
                                                         "dimension",
                                                         "sheetViews",
                                                         "sheetFormatPr",
                                                         "cols",
                                                         "sheetData",
                                                         "sheetCalcPr",
                                                         "sheetProtection",
                                                         "protectedRanges",
                                                         "scenarios",
                                                         "autoFilter",
                                                         "sortState",
                                                         "dataConsolidate",
                                                         "customSheetViews",
                                                         "mergeCells",
                                                         "phoneticPr",
                                                         "conditionalFormatting",
                                                         "dataValidations",
                                                         "hyperlinks",
                                                         "printOptions",
                                                         "pageMargins",
                                                         "pageSetup",
                                                         "headerFooter",
                                                         "rowBreaks",
                                                         "colBreaks",
                                                         "customProperties",
                                                         "cellWatches",
                                                         "ignoredErrors",
                                                         "smartTags",
                                                         "drawing",
                                                         "legacyDrawing",
                                                         "legacyDrawingHF",
                                                         "drawingHF",
                                                         "picture",
                                                         "oleObjects",
                                                         "controls",
                                                         "webPublishItems",
                                                         "tableParts"};

std::string utf8(const QString& text) {
    return text.toStdString();
}
QString fromUtf8(const char* text) {
    return QString::fromUtf8(text);
}

// The local part of an element name without its namespace prefix.
std::string localName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? std::string(colon + 1) : std::string(name);
}

// The prefix (with its colon) that the root element of a part uses, e.g. "xdr:" or "".
std::string prefixOf(const pugi::xml_node& node) {
    const std::string name = node.name();
    const auto colon = name.find(':');
    return colon == std::string::npos ? std::string() : name.substr(0, colon + 1);
}

// The prefix a namespace is declared under on an element, or nullopt.
std::optional<std::string> declaredPrefix(const pugi::xml_node& element, const char* ns) {
    for (const pugi::xml_attribute& a : element.attributes()) {
        const std::string name = a.name();
        if (name.rfind("xmlns:", 0) == 0 && std::strcmp(a.value(), ns) == 0)
            return name.substr(6);
    }
    return std::nullopt;
}

// The prefix for a namespace on a root element, declaring it under fallback when missing.
std::string ensurePrefix(pugi::xml_node root, const char* ns, const char* fallback) {
    if (auto prefix = declaredPrefix(root, ns))
        return *prefix;
    root.append_attribute((std::string("xmlns:") + fallback).c_str()) = ns;
    return fallback;
}

struct XmlWriter : pugi::xml_writer {
    QByteArray& out;
    explicit XmlWriter(QByteArray& target) : out(target) {}
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};

QString columnLetters(int index) {
    QString letters;
    for (int n = index + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

// A relationship part's path for a part: "xl/worksheets/sheet1.xml" ->
// "xl/worksheets/_rels/sheet1.xml.rels".
QString relsPathFor(const QString& part) {
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

// A relationship target relative to the folder of the part that names it.
QString resolveTarget(const QString& fromPart, const QString& target) {
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    const qsizetype slash = fromPart.lastIndexOf(QLatin1Char('/'));
    return QDir::cleanPath(fromPart.left(slash + 1) + target);
}

const char* xmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

} // namespace

namespace {

// A1-style reference: one to three letters, then a row without leading zeros, each within the
// sheet's bounds. The sheet's cells are named this way on every look-up, so it is read in
// place, without a string or a pattern match per cell.
std::optional<CellPosition> parseCellReference(std::string_view name) {
    std::size_t i = 0;
    int column = 0;
    for (; i < name.size() && i < 4; ++i) {
        const char c = name[i];
        const char upper = c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
        if (upper < 'A' || upper > 'Z')
            break;
        column = column * 26 + (upper - 'A' + 1);
    }
    if (i == 0 || i > 3 || i == name.size() || name[i] < '1' || name[i] > '9' ||
        name.size() - i > 7)
        return std::nullopt;
    int row = 0;
    for (; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        row = row * 10 + (name[i] - '0');
    }
    if (column - 1 > 16383 || row > 1048576)
        return std::nullopt;
    return CellPosition{column - 1, row};
}

} // namespace

std::optional<CellPosition> parseCellName(const QString& name) {
    if (name.size() > 10)
        return std::nullopt;
    char ascii[10];
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i].unicode() > 127)
            return std::nullopt;
        ascii[i] = char(name[i].unicode());
    }
    return parseCellReference(std::string_view(ascii, std::size_t(name.size())));
}

QString cellName(const CellPosition& position) {
    return columnLetters(position.column) + QString::number(position.row);
}

struct XlsxWorkbook::Impl {
    struct Part {
        QString name;
        QByteArray bytes;
        std::unique_ptr<pugi::xml_document> xml; // parsed on first use; saved from here then
    };

    QString sourcePath;
    std::vector<Part> parts;
    QString sheetPart;
    std::string sheetPrefix; // "" or e.g. "x:" when the sheet uses a prefixed namespace
    bool sheetNormalized = false;

    [[noreturn]] void damaged(const QString& why) const {
        throw Error(
            QStringLiteral("Шаблон листа «%1» не прочитать: %2. Переустановите программу, чтобы "
                           "вернуть исходный файл.")
                .arg(sourcePath, why));
    }

    Part* find(const QString& name) {
        for (Part& p : parts)
            if (p.name == name)
                return &p;
        return nullptr;
    }

    pugi::xml_document& xml(const QString& name) {
        Part* part = find(name);
        if (!part)
            damaged(QStringLiteral("в нём нет части %1").arg(name));
        if (!part->xml) {
            auto doc = std::make_unique<pugi::xml_document>();
            const pugi::xml_parse_result result = doc->load_buffer(
                part->bytes.constData(), static_cast<size_t>(part->bytes.size()),
                pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single);
            if (!result || !doc->document_element())
                damaged(QStringLiteral("часть %1 — испорченный XML").arg(name));
            part->xml = std::move(doc);
        }
        return *part->xml;
    }

    pugi::xml_document& newXml(const QString& name, const char* text) {
        Part part;
        part.name = name;
        part.bytes = QByteArray(xmlDeclaration) + text;
        parts.push_back(std::move(part));
        return xml(name);
    }

    QString uniqueName(const QString& pattern) const {
        for (int n = 1;; ++n) {
            const QString name = pattern.arg(n);
            if (std::none_of(parts.begin(), parts.end(),
                             [&](const Part& p) { return p.name == name; }))
                return name;
        }
    }

    // The target of a relationship of a part, by id or by type.
    QString relationshipTarget(const QString& fromPart, const char* attribute, const char* value) {
        pugi::xml_document& rels = xml(relsPathFor(fromPart));
        for (pugi::xml_node rel : rels.document_element().children()) {
            if (localName(rel.name()) == "Relationship" &&
                std::strcmp(rel.attribute(attribute).value(), value) == 0)
                return resolveTarget(fromPart, fromUtf8(rel.attribute("Target").value()));
        }
        damaged(QStringLiteral("нет ссылки из части %1").arg(fromPart));
    }

    // Adds a relationship to a part's relationship part (made when missing); returns its id.
    std::string addRelationship(const QString& fromPart, const char* type, const QString& target) {
        const QString relsName = relsPathFor(fromPart);
        pugi::xml_document& rels =
            find(relsName) ? xml(relsName)
                           : newXml(relsName, "<Relationships xmlns=\"http://schemas.openxmlformats"
                                              ".org/package/2006/relationships\"/>");
        pugi::xml_node root = rels.document_element();
        std::string id;
        for (int n = 1;; ++n) {
            id = "rId" + std::to_string(n);
            if (!root.find_child_by_attribute("Id", id.c_str()))
                break;
        }
        pugi::xml_node rel = root.append_child("Relationship");
        rel.append_attribute("Id") = id.c_str();
        rel.append_attribute("Type") = type;
        rel.append_attribute("Target") = utf8(target).c_str();
        return id;
    }

    void addContentType(const char* kind, const char* key, const std::string& keyValue,
                        const char* contentType) {
        pugi::xml_node types = xml(QStringLiteral("[Content_Types].xml")).document_element();
        for (pugi::xml_node n : types.children(kind))
            if (QString::fromUtf8(n.attribute(key).value())
                    .compare(QString::fromStdString(keyValue), Qt::CaseInsensitive) == 0)
                return;
        // Defaults before overrides, as office suites write them.
        pugi::xml_node firstOverride = types.child("Override");
        pugi::xml_node added = std::strcmp(kind, "Default") == 0 && firstOverride
                                   ? types.insert_child_before(kind, firstOverride)
                                   : types.append_child(kind);
        added.append_attribute(key) = keyValue.c_str();
        added.append_attribute("ContentType") = contentType;
    }

    void locateActiveSheet() {
        pugi::xml_document& rootRels = xml(QStringLiteral("_rels/.rels"));
        QString workbookPart;
        for (pugi::xml_node rel : rootRels.document_element().children())
            if (std::strcmp(rel.attribute("Type").value(), kOfficeDocumentType) == 0)
                workbookPart = resolveTarget(QString(), fromUtf8(rel.attribute("Target").value()));
        if (workbookPart.isEmpty())
            damaged(QStringLiteral("в нём не указана книга"));

        pugi::xml_node workbook = xml(workbookPart).document_element();
        const std::string p = prefixOf(workbook);
        const std::string r = declaredPrefix(workbook, kRelsNs).value_or("r");
        const int activeTab = workbook.child((p + "bookViews").c_str())
                                  .child((p + "workbookView").c_str())
                                  .attribute("activeTab")
                                  .as_int(0);
        int index = 0;
        pugi::xml_node sheet;
        for (pugi::xml_node s : workbook.child((p + "sheets").c_str()).children()) {
            if (index++ == activeTab)
                sheet = s;
        }
        if (!sheet)
            damaged(QStringLiteral("в нём нет активного листа"));
        sheetPart =
            relationshipTarget(workbookPart, "Id", sheet.attribute((r + ":id").c_str()).value());
        sheetPrefix = prefixOf(xml(sheetPart).document_element());
    }

    pugi::xml_node sheetRoot() { return xml(sheetPart).document_element(); }
    std::string sheetName(const char* local) const { return sheetPrefix + local; }

    // Inserts a child of <worksheet> where the schema puts it.
    pugi::xml_node insertSheetChild(const char* local) {
        pugi::xml_node root = sheetRoot();
        const auto rank = [](const std::string& name) {
            const auto it = std::find_if(kWorksheetOrder.begin(), kWorksheetOrder.end(),
                                         [&](const char* n) { return name == n; });
            return it == kWorksheetOrder.end() ? kWorksheetOrder.size() + 1
                                               : static_cast<size_t>(it - kWorksheetOrder.begin());
        };
        const size_t mine = rank(local);
        for (pugi::xml_node child : root.children()) {
            if (child.type() == pugi::node_element && rank(localName(child.name())) > mine)
                return root.insert_child_before(sheetName(local).c_str(), child);
        }
        return root.append_child(sheetName(local).c_str());
    }

    // Every row and cell gets its explicit position, so that inserting never shifts others.
    void normalizeSheetData() {
        if (sheetNormalized)
            return;
        sheetNormalized = true;
        int row = 0;
        for (pugi::xml_node r : sheetRoot().child(sheetName("sheetData").c_str()).children()) {
            if (r.type() != pugi::node_element)
                continue;
            row = r.attribute("r") ? r.attribute("r").as_int() : row + 1;
            if (!r.attribute("r"))
                r.append_attribute("r") = row;
            int column = -1;
            for (pugi::xml_node c : r.children()) {
                if (c.type() != pugi::node_element)
                    continue;
                pugi::xml_attribute ref = c.attribute("r");
                const auto parsed = parseCellReference(ref.value());
                column = parsed ? parsed->column : column + 1;
                if (!parsed) {
                    if (!ref)
                        ref = c.prepend_attribute("r");
                    ref = utf8(cellName({column, row})).c_str();
                }
            }
        }
    }

    QString newCellStyle(const pugi::xml_node& row, int column) {
        if (row.attribute("customFormat").as_bool() && row.attribute("s"))
            return fromUtf8(row.attribute("s").value());
        for (pugi::xml_node col : sheetRoot().child(sheetName("cols").c_str()).children()) {
            if (col.attribute("min").as_int() <= column + 1 &&
                column + 1 <= col.attribute("max").as_int() && col.attribute("style"))
                return fromUtf8(col.attribute("style").value());
        }
        return {};
    }

    pugi::xml_node cell(const CellPosition& at) {
        normalizeSheetData();
        pugi::xml_node root = sheetRoot();
        pugi::xml_node data = root.child(sheetName("sheetData").c_str());
        if (!data)
            data = insertSheetChild("sheetData");

        // The names outlive the loops: a range over children keeps only a pointer to its name.
        const std::string rowName = sheetName("row");
        const std::string cellElement = sheetName("c");
        pugi::xml_node row;
        for (pugi::xml_node r : data.children(rowName.c_str())) {
            const int index = r.attribute("r").as_int();
            if (index == at.row) {
                row = r;
                break;
            }
            if (index > at.row) {
                row = data.insert_child_before(rowName.c_str(), r);
                break;
            }
        }
        if (!row)
            row = data.append_child(rowName.c_str());
        if (!row.attribute("r"))
            row.append_attribute("r") = at.row;
        row.remove_attribute("spans"); // only a hint, and a wrong one would mislead a reader

        const std::string name = utf8(cellName(at));
        pugi::xml_node cell;
        for (pugi::xml_node c : row.children(cellElement.c_str())) {
            const auto pos = parseCellReference(c.attribute("r").value());
            if (pos && pos->column == at.column)
                return c;
            if (pos && pos->column > at.column) {
                cell = row.insert_child_before(cellElement.c_str(), c);
                break;
            }
        }
        if (!cell)
            cell = row.append_child(cellElement.c_str());
        cell.append_attribute("r") = name.c_str();
        const QString style = newCellStyle(row, at.column);
        if (!style.isEmpty())
            cell.append_attribute("s") = utf8(style).c_str();
        extendDimension(at);
        return cell;
    }

    void extendDimension(const CellPosition& at) {
        pugi::xml_node dimension = sheetRoot().child(sheetName("dimension").c_str());
        if (!dimension)
            return;
        const QStringList ends =
            fromUtf8(dimension.attribute("ref").value()).split(QLatin1Char(':'));
        const auto first = parseCellName(ends.value(0));
        const auto last = parseCellName(ends.value(ends.size() - 1));
        if (!first || !last)
            return;
        const CellPosition from{std::min(first->column, at.column), std::min(first->row, at.row)};
        const CellPosition to{std::max(last->column, at.column), std::max(last->row, at.row)};
        const QString ref = from == to ? cellName(from) : cellName(from) + ':' + cellName(to);
        dimension.attribute("ref").set_value(utf8(ref).c_str());
    }

    // The sheet's drawing part, made (with its relationship and content type) when missing.
    QString drawingPart() {
        pugi::xml_node root = sheetRoot();
        const std::string r = ensurePrefix(root, kRelsNs, "r");
        if (pugi::xml_node drawing = root.child(sheetName("drawing").c_str()))
            return relationshipTarget(sheetPart, "Id",
                                      drawing.attribute((r + ":id").c_str()).value());

        const QString part = uniqueName(QStringLiteral("xl/drawings/drawing%1.xml"));
        newXml(part, "<xdr:wsDr "
                     "xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/"
                     "spreadsheetDrawing\" "
                     "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
                     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships\"/>");
        addContentType("Override", "PartName", utf8(QLatin1Char('/') + part), kDrawingContentType);
        const std::string id =
            addRelationship(sheetPart, kDrawingType, relativeTarget(sheetPart, part));
        insertSheetChild("drawing").append_attribute((r + ":id").c_str()) = id.c_str();
        return part;
    }

    // The path of part `to` relative to the folder of part `from`.
    static QString relativeTarget(const QString& from, const QString& to) {
        return QDir(QStringLiteral("/") + QFileInfo(from).path())
            .relativeFilePath(QStringLiteral("/") + to);
    }
};

XlsxWorkbook::XlsxWorkbook(const QString& path) : d(std::make_unique<Impl>()) {
    d->sourcePath = path;
    if (!QFileInfo(path).isFile())
        throw cannotOpen(path, QStringLiteral("No such file or directory"));
    std::vector<ZipPart> zipped;
    QString why;
    if (!readZipParts(path, zipped, why))
        d->damaged(why);
    d->parts.reserve(zipped.size());
    for (ZipPart& part : zipped)
        d->parts.push_back({std::move(part.name), std::move(part.bytes), nullptr});
    d->locateActiveSheet();
}

XlsxWorkbook::~XlsxWorkbook() = default;

void XlsxWorkbook::setCell(const CellPosition& at, const QString& text) {
    pugi::xml_node cell = d->cell(at);
    while (pugi::xml_node child = cell.first_child())
        cell.remove_child(child);
    cell.remove_attribute("t");
    const QString safe = cellSafeText(text);
    if (safe.isEmpty())
        return;
    cell.append_attribute("t") = "inlineStr";
    pugi::xml_node t =
        cell.append_child(d->sheetName("is").c_str()).append_child(d->sheetName("t").c_str());
    if (safe.front().isSpace() || safe.back().isSpace())
        t.append_attribute("xml:space") = "preserve";
    t.text().set(utf8(safe).c_str());
}

void XlsxWorkbook::addPicture(const CellPosition& at, const QByteArray& png, int widthPx,
                              int heightPx) {
    d->addContentType("Default", "Extension", "png", "image/png");
    const QString drawingPart = d->drawingPart();
    pugi::xml_node root = d->xml(drawingPart).document_element();
    if (localName(root.name()) != "wsDr")
        d->damaged(QStringLiteral("часть %1 — не рисунок").arg(drawingPart));
    const std::string xdr = prefixOf(root);
    const std::string a = ensurePrefix(root, kDrawingMainNs, "a");
    const std::string r = ensurePrefix(root, kRelsNs, "r");

    const QString media = d->uniqueName(QStringLiteral("xl/media/image%1.png"));
    Impl::Part picture;
    picture.name = media;
    picture.bytes = png;
    d->parts.push_back(std::move(picture));
    const std::string rel =
        d->addRelationship(drawingPart, kImageType, Impl::relativeTarget(drawingPart, media));

    int id = 1;
    for (pugi::xpath_node n : root.select_nodes("//*[local-name()='cNvPr']"))
        id = std::max(id, n.node().attribute("id").as_int());
    ++id;

    const std::string X = xdr, A = a + ":", R = r + ":";
    const std::string anchor =
        "<" + X + "oneCellAnchor>" + //
        "<" + X + "from><" + X + "col>" + std::to_string(at.column) + "</" + X + "col><" + X +
        "colOff>0</" + X + "colOff><" + X + "row>" + std::to_string(at.row - 1) + "</" + X +
        "row><" + X + "rowOff>0</" + X + "rowOff></" + X + "from>" + //
        "<" + X + "ext cx=\"" + std::to_string(qint64(widthPx) * kEmuPerPixel) + "\" cy=\"" +
        std::to_string(qint64(heightPx) * kEmuPerPixel) + "\"/>" + //
        "<" + X + "pic><" + X + "nvPicPr><" + X + "cNvPr id=\"" + std::to_string(id) +
        "\" name=\"Picture " + std::to_string(id - 1) + "\"/><" + X + "cNvPicPr/></" + X +
        "nvPicPr>" + //
        "<" + X + "blipFill><" + A + "blip " + R + "embed=\"" + rel + "\"/><" + A + "stretch><" +
        A + "fillRect/></" + A + "stretch></" + X + "blipFill>" + //
        "<" + X + "spPr><" + A + "prstGeom prst=\"rect\"><" + A + "avLst/></" + A + "prstGeom></" +
        X + "spPr></" + X + "pic>" + //
        "<" + X + "clientData/></" + X + "oneCellAnchor>";
    if (!root.append_buffer(anchor.data(), anchor.size()))
        d->damaged(QStringLiteral("в рисунок нельзя вставить картинку"));
}

void XlsxWorkbook::save(const QString& path) const {
    std::vector<ZipPart> parts;
    parts.reserve(d->parts.size());
    for (const Impl::Part& part : d->parts) {
        QByteArray bytes;
        if (part.xml) {
            XmlWriter writer(bytes);
            part.xml->save(writer, "", pugi::format_raw, pugi::encoding_utf8);
        } else {
            bytes = part.bytes;
        }
        parts.push_back({part.name, bytes});
    }
    writeZipParts(path, parts);
}

} // namespace kv
