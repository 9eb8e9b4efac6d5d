#include "external/xmla/xmlaresponse.h"

#include <utility>

namespace Lorvantic::Olap::Xmla {

ResponseReader::ResponseReader(const QStringList& columns, RowHandler onRow, QString origin)
    : m_origin(std::move(origin))
    , m_onRow(std::move(onRow)) {
    for (int i = 0; i < columns.size(); ++i)
        m_columns.insert(columns[i], i);
    m_row.resize(static_cast<std::size_t>(columns.size()));
}

void ResponseReader::addData(QByteArrayView bytes) {
    m_xml.addData(bytes.toByteArray());
    read();
}

void ResponseReader::finish() {
    read();
    if (!m_ended) {
        if (m_xml.characterOffset() == 0)
            fail(QStringLiteral("the answer is empty"));
        fail(QStringLiteral("the answer ends early, in the middle of the document (cut off in transfer)"));
    }
    if (!m_answered)
        fail(QStringLiteral("not an XMLA answer: the SOAP body holds neither a response nor a fault"));
}

void ResponseReader::read() {
    while (!m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::StartElement:
            startElement();
            break;
        case QXmlStreamReader::EndElement:
            endElement();
            break;
        case QXmlStreamReader::Characters:
            text();
            break;
        case QXmlStreamReader::DTD:
            // Entity declarations could make a short answer expand without bound.
            fail(QStringLiteral("not an XMLA answer: it has a document type declaration"));
        case QXmlStreamReader::EndDocument:
            m_ended = true;
            break;
        default:
            break;
        }
    }
    if (m_xml.hasError() && m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
        fail(m_xml.errorString());
}

ResponseReader::Kind ResponseReader::childOf(const Frame& parent) {
    const QStringView name = m_xml.name();
    switch (parent.kind) {
    case Kind::Envelope:
        if (name == QLatin1String("Header"))
            return Kind::Header;
        return name == QLatin1String("Body") ? Kind::Body : Kind::Skip;
    case Kind::Header:
        if (name == QLatin1String("Session"))
            m_sessionId = m_xml.attributes().value(QLatin1String("SessionId")).toString();
        return Kind::Skip;
    case Kind::Body:
        if (name == QLatin1String("Fault"))
            return Kind::Fault;
        if (name.endsWith(QLatin1String("Response")))
            return Kind::Response;
        fail(QStringLiteral("not an XMLA answer: the SOAP body holds <") + name.toString() + u'>');
    case Kind::Response:
        return name == QLatin1String("return") ? Kind::Return : Kind::Skip;
    case Kind::Return:
        return name == QLatin1String("root") ? Kind::Root : Kind::Skip;
    case Kind::Root:
        if (name == QLatin1String("row"))
            return Kind::Row;
        return name == QLatin1String("Messages") ? Kind::Messages : Kind::Skip;
    case Kind::Row:
        return m_columns.contains(name.toString()) ? Kind::Column : Kind::Skip;
    case Kind::Column:
    case Kind::Captured:
        return Kind::Captured;
    case Kind::Fault:
        if (name == QLatin1String("faultcode"))
            return Kind::FaultCode;
        if (name == QLatin1String("faultstring"))
            return Kind::FaultString;
        return name == QLatin1String("detail") ? Kind::Detail : Kind::Skip;
    case Kind::Detail:
        noteServerError();
        return name == QLatin1String("desc") ? Kind::DetailText : Kind::Detail;
    case Kind::Messages:
        if (name == QLatin1String("Error")) {
            noteServerError();
            m_answered = true;
            if (!m_fault)
                m_fault =
                    Fault{m_xml.attributes().value(QLatin1String("ErrorCode")).toString(), m_faultDetail};
        }
        return Kind::Skip;
    case Kind::FaultCode:
    case Kind::FaultString:
    case Kind::DetailText:
    case Kind::Skip:
        break;
    }
    return Kind::Skip;
}

// The reason servers put in an attribute of their error element, instead of a desc text.
void ResponseReader::noteServerError() {
    const QStringView description = m_xml.attributes().value(QLatin1String("Description"));
    if (!description.isEmpty() && m_faultDetail.isEmpty())
        m_faultDetail = description.toString();
}

void ResponseReader::startElement() {
    if (m_stack.empty()) {
        if (m_xml.name() != QLatin1String("Envelope"))
            fail(QStringLiteral("not an XMLA answer: the document is <") + m_xml.name().toString() +
                 QStringLiteral("> instead of a SOAP envelope"));
        m_stack.push_back({Kind::Envelope});
        return;
    }
    const Frame& parent = m_stack.back();
    if (parent.kind == Kind::Skip) {
        m_stack.push_back({Kind::Skip});
        return;
    }
    Frame frame{childOf(parent)};
    switch (frame.kind) {
    case Kind::Response:
    case Kind::Fault:
        m_answered = true;
        break;
    case Kind::Row:
        std::fill(m_row.begin(), m_row.end(), QString());
        break;
    case Kind::Column:
        frame.column = m_columns.value(m_xml.name().toString());
        m_text.clear();
        m_xmlValue.clear();
        break;
    case Kind::Captured:
        if (parent.kind == Kind::Column) {
            if (!m_xmlValue.isEmpty())
                fail(QStringLiteral("a column holds more than one element"));
            m_writer.emplace(&m_xmlValue);
        }
        writeStart();
        break;
    case Kind::FaultCode:
    case Kind::FaultString:
    case Kind::DetailText:
        m_text.clear();
        break;
    default:
        break;
    }
    m_stack.push_back(frame);
}

void ResponseReader::endElement() {
    const Frame frame = m_stack.back();
    m_stack.pop_back();
    switch (frame.kind) {
    case Kind::Row:
        ++m_rows;
        m_onRow(m_row);
        break;
    case Kind::Column: {
        QString& value = m_row[static_cast<std::size_t>(frame.column)];
        value = m_xmlValue.isEmpty() ? std::exchange(m_text, QString()) : QString::fromUtf8(m_xmlValue);
        // Kept by whoever takes the row: without the room the text grew into.
        value.squeeze();
        break;
    }
    case Kind::Captured:
        m_writer->writeEndElement();
        if (m_stack.back().kind == Kind::Column)
            m_writer.reset();
        break;
    case Kind::FaultCode:
        m_faultCode = m_text.trimmed();
        break;
    case Kind::FaultString:
        m_faultString = m_text.trimmed();
        break;
    case Kind::DetailText:
        if (m_faultDetail.isEmpty())
            m_faultDetail = m_text.trimmed();
        break;
    case Kind::Fault: {
        QString text = m_faultString;
        if (!m_faultDetail.isEmpty() && m_faultDetail != text)
            text += (text.isEmpty() ? QString() : QStringLiteral(": ")) + m_faultDetail;
        m_fault = Fault{m_faultCode, text};
        break;
    }
    case Kind::Messages:
        if (m_fault && m_fault->text.isEmpty())
            m_fault->text = m_faultDetail;
        break;
    default:
        break;
    }
}

void ResponseReader::text() {
    if (m_stack.empty())
        return;
    switch (m_stack.back().kind) {
    case Kind::Column:
    case Kind::FaultCode:
    case Kind::FaultString:
    case Kind::DetailText:
        m_text += m_xml.text();
        break;
    case Kind::Captured:
        m_writer->writeCharacters(m_xml.text().toString());
        break;
    default:
        break;
    }
}

// The element as read, with the namespaces it declares, so that its names keep their meaning.
void ResponseReader::writeStart() {
    for (const QXmlStreamNamespaceDeclaration& declaration : m_xml.namespaceDeclarations()) {
        if (declaration.prefix().isEmpty())
            m_writer->writeDefaultNamespace(declaration.namespaceUri().toString());
        else
            m_writer->writeNamespace(declaration.namespaceUri().toString(), declaration.prefix().toString());
    }
    m_writer->writeStartElement(m_xml.namespaceUri().toString(), m_xml.name().toString());
    for (const QXmlStreamAttribute& attribute : m_xml.attributes())
        m_writer->writeAttribute(attribute);
}

void ResponseReader::fail(const QString& what) const {
    throw Error(ErrorNumber::BadDescription, m_origin + u':' + QString::number(m_xml.lineNumber()) + u':' +
                                                 QString::number(m_xml.columnNumber() + 1) +
                                                 QStringLiteral(": ") + what);
}

} // namespace Lorvantic::Olap::Xmla
