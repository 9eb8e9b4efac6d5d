#pragma once

// Helpers shared by the tests of the description readers (JSON and XML): read a text with a
// reader, catch its failure, list the items of a model in one text.

#include "model/error.h"
#include "model/olap.h"
#include "model/servermodel.h"
#include "tests/support/testsupport.h"

#include <QBuffer>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

namespace Lorvantic::Test {

using namespace Qt::StringLiterals;

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
    const Failure failure = failureOf([&] { readText(read, text); });
    if (failure.number != 0) {
        EXPECT_EQ(failure.number, ErrorNumber::BadDescription) << failure.description.toStdString();
    }
    return failure.description;
}

// A JSON server description "S" with these databases.
inline QByteArray withDatabases(const QByteArray& databases) {
    return R"({"format": "olap-server/1", "name": "S", "databases": [)" + databases + "]}";
}

template <class Items, class Visit> void each(const Items& items, Visit visit) {
    for (qint32 i = 1; i <= items->Count(); ++i)
        visit(items->Item(i));
}

// The value, or "-" when the model does not answer it.
template <class Read> QString answer(Read read) {
    try {
        const QVariant value = read();
        return value.typeId() == QMetaType::QDateTime ? value.toDateTime().toString(Qt::ISODateWithMs)
                                                      : value.toString();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::NotAnswered);
        return u"-"_s;
    }
}

// Everything the object model answers about a database, one object a line: the whole of a
// small model compares at once.
inline QString describe(const Olap::Store& db) {
    QStringList lines{u"database "_s + db.Name()};
    const auto names = [](const auto& items) {
        QStringList list;
        each(items, [&](const auto& item) { list << item->Name(); });
        return list.join(u',');
    };
    each(db.Dimensions(), [&](const auto& d) {
        lines << u"dimension %1 shared=%2 state=%3 processed=%4 type=%5 virtual=%6"_s.arg(
            d->Name(), QVariant(d->IsShared()).toString(), QString::number(d->State()),
            answer([&] { return QVariant(d->LastProcessed()); }), QString::number(d->DimensionType()),
            QString::number(d->VirtualCode()));
        each(d->Levels(), [&](const auto& l) {
            lines << u" level %1 size=%2 type=%3 key=%4 name=%5 hidden=%6 aggregation=%7"_s.arg(
                l->Name(), answer([&] { return QVariant(l->EstimatedSize()); }),
                QString::number(l->LevelType()), l->MemberKeyColumn(), l->MemberNameColumn(),
                QVariant(l->IsHidden()).toString(), QVariant(l->EnableAggregations()).toString());
            each(l->MemberProperties(),
                 [&](const auto& p) { lines << u"  property %1=%2"_s.arg(p->Name(), p->SourceColumn()); });
        });
    });
    each(db.Cubes(), [&](const auto& c) {
        lines << u"cube %1 state=%2 processed=%3 size=%4 dimensions=%5 roles=%6"_s.arg(
            c->Name(), QString::number(c->State()), answer([&] { return QVariant(c->LastProcessed()); }),
            answer([&] { return QVariant(c->EstimatedSize()); }), names(c->Dimensions()), names(c->Roles()));
        each(c->Partitions(), [&](const auto& p) {
            QStringList sources;
            each(p->DataSources(),
                 [&](const auto& s) { sources << s->Name() + u'=' + s->ConnectionString(); });
            lines << u" partition %1 storage=%2 aggregations=%3 sources=%4"_s.arg(
                p->Name(), QString::number(p->StorageMode()), names(p->Aggregations()), sources.join(u','));
        });
        each(c->Measures(), [&](const auto& m) {
            lines << u" measure %1 function=%2 format=%3 internal=%4 column=%5"_s.arg(
                m->Name(), QString::number(m->AggregateFunction()), m->FormatString(),
                QVariant(m->IsInternal()).toString(), m->SourceColumn());
        });
        each(c->Commands(), [&](const auto& k) {
            lines << u" command %1 order=%2 %3"_s.arg(k->Name(), QString::number(k->SolveOrder()),
                                                      k->Statement());
        });
    });
    each(db.Roles(), [&](const auto& r) {
        lines << u"role %1 (%2) users=%3"_s.arg(r->Name(), r->Description(), r->UsersList());
    });
    return lines.join(u'\n');
}

inline QString describe(const Olap::ServerData& data) {
    return describe(
        *Olap::ServerFromModel(std::make_shared<const Olap::ServerData>(data))->Databases()->Item(1));
}

// Compares a text with its expected file under tests/data.
inline void expectText(const QString& text, const QString& expectedFile) {
    const QByteArray expected = readBytes(dataPath(expectedFile));
    ASSERT_FALSE(expected.isEmpty()) << expectedFile.toStdString();
    EXPECT_EQ(text.toStdString(), expected.toStdString()) << expectedFile.toStdString();
}

template <class Item> const Item& named(const std::vector<Item>& items, const char* name) {
    for (const Item& item : items)
        if (item.name == QString::fromUtf8(name))
            return item;
    ADD_FAILURE() << "no item named " << name;
    static const Item none{};
    return none;
}

} // namespace Lorvantic::Test
