#pragma once

// Server definitions kept as XML files (schema files and database definitions): which files are
// ones, and the small reader both kinds are read with. Every fault is raised as
// Lorvantic::Error (ErrorNumber::BadDescription) whose description starts with
// "origin:line:column: ".

#include "model/error.h"
#include "model/servermodel.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <initializer_list>
#include <limits>
#include <optional>
#include <utility>

class QIODevice;

namespace Lorvantic::Olap {

// Whether the file at path is a server definition read by one of the XML backends: an
// ".asdatabase" file, or an ".xml" file whose root element is "Schema" (letter case of the suffix
// ignored). Reads no more than the start of the file.
bool IsSchemaFile(const QString& path);

// 1-based; columns count characters.
struct XmlPosition {
    qint64 line = 1;
    qint64 column = 1;

    SourcePosition source() const { return SourceAt(line, column); }
};

// A name and the code it stands for.
using CodeName = std::pair<QLatin1String, qint32>;

// The code of name (letter case ignored); otherwise for a name not in the table, missing for an
// empty name.
qint32 CodeOf(QStringView name, std::initializer_list<CodeName> table, qint32 otherwise, qint32 missing);

// "[name]" with every "]" doubled, as an MDX identifier.
QString BracketedName(const QString& name);

// The parts of a dotted MDX name ("[Measures].[Profit]", "Measures.Profit"), brackets removed.
QStringList MdxNameParts(QStringView name);

// Walks an XML document element by element. Handlers read or skip each element they are given
// whole, so that the walk goes on after it.
class SchemaXml {
public:
    SchemaXml(QIODevice& device, QString origin);

    // Reads up to the root element; fails unless its (local) name is root, telling what kind of
    // file was expected.
    void enterRoot(QLatin1String root, const QString& kind);
    // Reads what follows the root element: only comments and blanks may.
    void finish();

    // Calls handle(localName) for each child element of the current element.
    template <class Handle> void children(Handle&& handle) {
        while (m_xml.readNextStartElement())
            handle(m_xml.name());
        check();
    }
    // Calls handle() for each child element named item; skips the others.
    template <class Handle> void items(QLatin1String item, Handle&& handle) {
        children([this, item, &handle](QStringView name) {
            if (name == item)
                handle();
            else
                skip();
        });
    }

    // Reads the texts of the child elements named in wanted into their strings; skips the others.
    void texts(std::initializer_list<std::pair<QLatin1String, QString*>> wanted);
    void skip();
    // The text of the current element (child elements left out).
    QString text();
    // The attribute of the current element; a null string when it has none.
    QString attribute(QLatin1String name) const;
    // An attribute that must be given and not empty.
    QString requiredAttribute(QLatin1String name, QStringView element);
    // "false" or "0" (letter case ignored) in the attribute; anything else, or none, is true.
    bool isFalse(QLatin1String attribute) const;
    static bool isFalseText(QStringView text);

    // A whole number in the range of Int, or nullopt for an empty text; anything else fails at.
    template <class Int>
    std::optional<Int> whole(const QString& text, const XmlPosition& at, const QString& what) const {
        const std::optional<qint64> value = wholeNumber(text, at, what);
        if (value && (*value < std::numeric_limits<Int>::min() || *value > std::numeric_limits<Int>::max()))
            failOutOfRange(text, at, what);
        return value ? std::optional<Int>(static_cast<Int>(*value)) : std::nullopt;
    }
    std::optional<double> decimal(const QString& text, const XmlPosition& at, const QString& what) const;

    // Where the reader stands: just after the start tag of the current element.
    XmlPosition position() const;
    [[noreturn]] void fail(const QString& what) const { failAt(position(), what); }
    [[noreturn]] void failAt(const XmlPosition& at, const QString& what) const;
    // Records name for one kind of item; a second item of that name fails (at the item).
    void addUnique(QSet<QString>& names, const QString& name, const char* kind) const {
        addUnique(names, name, kind, position());
    }
    void addUnique(QSet<QString>& names, const QString& name, const char* kind, const XmlPosition& at) const;
    // Counts entries a definition makes by copying others (a dimension with all its hierarchies
    // into every cube that uses it, say); beyond a bound the file is refused, so that a small
    // hostile file cannot claim unbounded memory.
    void spend(qsizetype entries, const XmlPosition& at);

private:
    void check() const;
    std::optional<qint64> wholeNumber(const QString& text, const XmlPosition& at, const QString& what) const;
    [[noreturn]] void failOutOfRange(const QString& text, const XmlPosition& at, const QString& what) const;

    static constexpr qsizetype MaxCopiedEntries = 10'000'000;

    QXmlStreamReader m_xml;
    QString m_origin;
    qsizetype m_copied = 0;
};

// "'text'", shortened when long, for error descriptions.
QString Quoted(const QString& text);

} // namespace Lorvantic::Olap
