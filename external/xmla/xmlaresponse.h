#pragma once

// Reads the answer of an XMLA server to one request as its bytes arrive: the rows of a rowset
// (SOAP envelope, DiscoverResponse, return, root, row), or the fault the server answered with.
// A column holding elements rather than text (the METADATA of DISCOVER_XML_METADATA) comes back
// as that XML, written out again as one document.

#include "model/error.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <functional>
#include <optional>
#include <vector>

namespace Lorvantic::Olap::Xmla {

// What a server answered instead of rows: a SOAP fault, or an error message in the rowset.
struct Fault {
    QString code;
    QString text; // the faultstring, with the server's own reason after it when it gives one
};

// The values of the columns asked for, by position; a column the row lacks is a null string.
using Row = std::vector<QString>;

class ResponseReader {
public:
    using RowHandler = std::function<void(const Row& row)>;

    // columns: the (local) names of the columns wanted; origin starts every error description.
    ResponseReader(const QStringList& columns, RowHandler onRow, QString origin);

    // Reads the next bytes of the answer as far as they go. A fault in them raises
    // Lorvantic::Error (ErrorNumber::BadDescription) naming line, column and what is wrong: XML
    // that is not well-formed, a document that is not an XMLA answer.
    void addData(QByteArrayView bytes);
    // The answer is complete: raises the same error when it ends early or held neither rows nor
    // a fault.
    void finish();

    // The fault the server answered with, once the answer is read.
    const std::optional<Fault>& fault() const { return m_fault; }
    qint64 rowCount() const { return m_rows; }
    // The XMLA session the answer's SOAP header names (<Session SessionId="...">), if any.
    const QString& sessionId() const { return m_sessionId; }

private:
    enum class Kind {
        Envelope,
        Header,
        Body,
        Response,
        Return,
        Root,
        Row,
        Column,
        Captured,
        Fault,
        FaultCode,
        FaultString,
        Detail,
        DetailText,
        Messages,
        Skip
    };
    struct Frame {
        Kind kind;
        int column = -1;
    };

    void read();
    void startElement();
    void endElement();
    void text();
    void writeStart();
    Kind childOf(const Frame& parent);
    void noteServerError();
    [[noreturn]] void fail(const QString& what) const;

    QXmlStreamReader m_xml;
    QString m_origin;
    QHash<QString, int> m_columns;
    RowHandler m_onRow;
    Row m_row;
    std::vector<Frame> m_stack;
    QString m_text;        // text of the column or fault field being read
    QByteArray m_xmlValue; // a column's elements, written out again
    std::optional<QXmlStreamWriter> m_writer;
    bool m_answered = false; // a response or a fault began
    bool m_ended = false;
    std::optional<Fault> m_fault;
    QString m_faultCode, m_faultString, m_faultDetail;
    qint64 m_rows = 0;
    QString m_sessionId;
};

} // namespace Lorvantic::Olap::Xmla
