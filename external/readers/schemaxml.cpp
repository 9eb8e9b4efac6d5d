#include "external/readers/schemaxml.h"

#include <QFile>
#include <QIODevice>

namespace Lorvantic::Olap {

namespace {

// A root element further into the file than this is not looked for (licence headers and other
// comments before it take a few kilobytes at most).
constexpr qint64 RootSearchBytes = 1 << 20;

} // namespace

bool IsSchemaFile(const QString& path) {
    if (path.endsWith(QLatin1String(".asdatabase"), Qt::CaseInsensitive))
        return true;
    if (!path.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(file.read(RootSearchBytes));
    return xml.readNextStartElement() && xml.name() == QLatin1String("Schema");
}

qint32 CodeOf(QStringView name, std::initializer_list<CodeName> table, qint32 otherwise, qint32 missing) {
    if (name.isEmpty())
        return missing;
    for (const CodeName& entry : table)
        if (name.compare(entry.first, Qt::CaseInsensitive) == 0)
            return entry.second;
    return otherwise;
}

QString BracketedName(const QString& name) {
    QString escaped = name;
    escaped.replace(u']', QLatin1String("]]"));
    return u'[' + escaped + u']';
}

QStringList MdxNameParts(QStringView name) {
    QStringList parts;
    qsizetype i = 0;
    while (i < name.size()) {
        const QChar c = name[i];
        if (c == u'.' || c.isSpace()) {
            ++i;
        } else if (c == u'[') {
            QString part;
            for (++i; i < name.size(); ++i) {
                if (name[i] == u']') {
                    if (i + 1 < name.size() && name[i + 1] == u']') {
                        part += u']';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                part += name[i];
            }
            parts << part;
        } else {
            const qsizetype start = i;
            while (i < name.size() && name[i] != u'.' && name[i] != u'[')
                ++i;
            parts << name.mid(start, i - start).trimmed().toString();
        }
    }
    return parts;
}

QString Quoted(const QString& text) {
    constexpr qsizetype Shown = 80; // a huge value would drown the message
    if (text.size() <= Shown)
        return u'\'' + text + u'\'';
    return u'\'' + text.left(Shown) + QStringLiteral("...'");
}

SchemaXml::SchemaXml(QIODevice& device, QString origin)
    : m_xml(&device)
    , m_origin(std::move(origin)) {}

void SchemaXml::enterRoot(QLatin1String root, const QString& kind) {
    if (!m_xml.readNextStartElement()) {
        check();
        fail(QStringLiteral("the file holds no XML element; expected ") + kind);
    }
    if (m_xml.name() != root)
        fail(QStringLiteral("the root element is <") + m_xml.name().toString() + QStringLiteral(">, not <") +
             root + QStringLiteral(">: the file is not ") + kind);
}

void SchemaXml::finish() {
    while (!m_xml.atEnd())
        m_xml.readNext();
    check();
}

void SchemaXml::texts(std::initializer_list<std::pair<QLatin1String, QString*>> wanted) {
    children([&](QStringView name) {
        for (const auto& [element, into] : wanted) {
            if (name == element) {
                *into = text();
                return;
            }
        }
        skip();
    });
}

void SchemaXml::skip() {
    m_xml.skipCurrentElement();
    check();
}

QString SchemaXml::text() {
    QString text = m_xml.readElementText(QXmlStreamReader::SkipChildElements);
    check();
    return text;
}

QString SchemaXml::attribute(QLatin1String name) const {
    return m_xml.attributes().value(name).toString();
}

QString SchemaXml::requiredAttribute(QLatin1String name, QStringView element) {
    QString value = attribute(name);
    if (value.isEmpty())
        fail(u'<' + element.toString() + QStringLiteral("> without a ") + name +
             QStringLiteral(" attribute"));
    return value;
}

bool SchemaXml::isFalse(QLatin1String attribute) const {
    return isFalseText(m_xml.attributes().value(attribute));
}

bool SchemaXml::isFalseText(QStringView text) {
    text = text.trimmed();
    return text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || text == u'0';
}

std::optional<qint64> SchemaXml::wholeNumber(const QString& text, const XmlPosition& at,
                                             const QString& what) const {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok);
    if (!ok)
        failAt(at, what + QStringLiteral(" is not a whole number: ") + Quoted(text));
    return value;
}

void SchemaXml::failOutOfRange(const QString& text, const XmlPosition& at, const QString& what) const {
    failAt(at, what + QStringLiteral(" is out of range: ") + Quoted(text.trimmed()));
}

std::optional<double> SchemaXml::decimal(const QString& text, const XmlPosition& at,
                                         const QString& what) const {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !qIsFinite(value))
        failAt(at, what + QStringLiteral(" is not a number: ") + Quoted(text));
    return value;
}

XmlPosition SchemaXml::position() const {
    return {m_xml.lineNumber(), m_xml.columnNumber() + 1};
}

void SchemaXml::failAt(const XmlPosition& at, const QString& what) const {
    throw Error(ErrorNumber::BadDescription, m_origin + u':' + QString::number(at.line) + u':' +
                                                 QString::number(at.column) + QStringLiteral(": ") + what);
}

void SchemaXml::addUnique(QSet<QString>& names, const QString& name, const char* kind,
                          const XmlPosition& at) const {
    const qsizetype before = names.size();
    names.insert(name);
    if (names.size() == before)
        failAt(at,
               QStringLiteral("a second ") + QLatin1String(kind) + QStringLiteral(" named ") + Quoted(name));
}

void SchemaXml::spend(qsizetype entries, const XmlPosition& at) {
    m_copied += entries;
    if (m_copied > MaxCopiedEntries)
        failAt(at, QStringLiteral("the definitions expand to more than ") +
                       QString::number(MaxCopiedEntries) + QStringLiteral(" copied entries"));
}

void SchemaXml::check() const {
    if (m_xml.hasError())
        fail(QStringLiteral("not well-formed XML: ") + m_xml.errorString());
}

} // namespace Lorvantic::Olap
