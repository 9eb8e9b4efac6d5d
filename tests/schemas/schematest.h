#pragma once

// Helpers shared by the tests of the XML backends: read a text with a reader, catch its failure,
// find items of a model by name.

#include "error.h"
#include "servermodel.h"

#include <QBuffer>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace Lorvantic::Test {

using SchemaReader = std::function<Olap::ServerData(QIODevice&, const QString&)>;

inline Olap::ServerData readText(const SchemaReader& read, const QByteArray& text) {
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return read(buffer, QStringLiteral("T"));
}

// The description of the failure reading text raises (which must be a bad description), or
// an empty string when it reads.
inline QString failureOf(const SchemaReader& read, const QByteArray& text) {
    try {
        readText(read, text);
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::BadDescription) << e.description().toStdString();
        return e.description();
    }
    return QString();
}

inline QStringList texts(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

inline QStringList texts(const std::vector<QString>& items) {
    return QStringList(items.begin(), items.end());
}

template <class Item> QStringList namesOf(const std::vector<Item>& items) {
    QStringList names;
    for (const Item& item : items)
        names << item.name;
    return names;
}

template <class Item> const Item& named(const std::vector<Item>& items, const QString& name) {
    for (const Item& item : items)
        if (item.name == name)
            return item;
    ADD_FAILURE() << "no item named " << name.toStdString();
    static const Item none{};
    return none;
}

template <class Item> const Item& named(const std::vector<Item>& items, const char* name) {
    return named(items, QString::fromUtf8(name));
}

} // namespace Lorvantic::Test
