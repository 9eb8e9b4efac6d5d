#include "dispatch.h"
#include "error.h"
#include "factory.h"
#include "holders.h"
#include "metaselcube.h"
#include "metaselmain.h"
#include "olap.h"
#include "servermodel.h"

#include <QVariant>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

using namespace Lorvantic;
using namespace Qt::StringLiterals;

namespace {

constexpr auto Get = InvokeKind::PropertyGet;
constexpr auto Put = InvokeKind::PropertyPut;
constexpr auto PutRef = InvokeKind::PropertyPutRef;
constexpr auto Call = InvokeKind::Method;

// The failure number of the call, 0 when it succeeds.
qint32 failureOf(Dispatch& object, const QString& member, InvokeKind kind, const QVariantList& args = {}) {
    try {
        object.Invoke(member, kind, args);
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

// A server with one cube of two measures.
std::shared_ptr<Olap::Store> cubeWithTwoMeasures() {
    auto data = std::make_shared<Olap::ServerData>();
    data->name = u"S"_s;
    Olap::DatabaseData database;
    database.name = u"D"_s;
    Olap::CubeData cube;
    cube.name = u"Sales"_s;
    cube.measures = {{u"Unit Sales"_s, 0, u"Standard"_s, false, u"\"f\".\"u\""_s},
                     {u"Store Cost"_s, 0, u"Currency"_s, false, u"\"f\".\"c\""_s}};
    database.cubes.push_back(cube);
    data->databases.push_back(database);
    return Olap::ServerFromModel(data)->Databases()->Item(1)->Cubes()->Item(1);
}

class DispatchTest : public ::testing::Test {
protected:
    std::shared_ptr<MetaSelCube> cube = std::make_shared<MetaSelCube>();
    std::shared_ptr<Dispatch> object = MakeDispatch(cube);
};

} // namespace

TEST(DispatchErrorNumbers, AreTheAutomationNumbersAsNegative32BitValues) {
    EXPECT_EQ(ErrorNumber::UnknownName, -2147352570);          // 0x80020006
    EXPECT_EQ(ErrorNumber::BadParamCount, -2147352562);        // 0x8002000E
    EXPECT_EQ(ErrorNumber::ArgumentTypeMismatch, -2147352571); // 0x80020005
    EXPECT_EQ(ErrorNumber::MemberNotFound, -2147352573);       // 0x80020003
}

TEST_F(DispatchTest, StoresAnyInitModeAndReadsItBack) {
    for (qint32 mode : {5, 1, 0, -3}) {
        object->Invoke(u"InitMode"_s, Put, {mode});
        const QVariant back = object->Invoke(u"InitMode"_s, Get);
        EXPECT_EQ(back.typeId(), QMetaType::Int);
        EXPECT_EQ(back.toInt(), mode);
        EXPECT_EQ(cube->get_InitMode(), mode);
    }
}

TEST_F(DispatchTest, ConvertsIntegralArgumentsToTheModesType) {
    const QVariantList accepted = {QVariant(qlonglong(5)), QVariant(5u),      QVariant(5.0),
                                   QVariant(u" 5 "_s),     QVariant(u"+5"_s), QVariant(short(5))};
    for (const QVariant& arg : accepted) {
        SCOPED_TRACE(arg.toString().toStdString());
        cube->put_InitMode(0);
        object->Invoke(u"InitMode"_s, Put, {arg});
        EXPECT_EQ(cube->get_InitMode(), 5);
    }
    object->Invoke(u"InitMode"_s, Put, {u"-2147483648"_s});
    EXPECT_EQ(cube->get_InitMode(), std::numeric_limits<qint32>::min());
}

TEST_F(DispatchTest, RefusesArgumentsOfTheWrongTypeOrRange) {
    struct Row {
        QString member;
        InvokeKind kind;
        QVariant arg;
        qint32 number;
    };
    const Row rows[] = {
        {u"InitMode"_s, Put, QVariant(u"abc"_s), ErrorNumber::ArgumentTypeMismatch},
        {u"InitMode"_s, Put, QVariant(u"5.0"_s), ErrorNumber::ArgumentTypeMismatch},
        {u"InitMode"_s, Put, QVariant(u""_s), ErrorNumber::ArgumentTypeMismatch},
        {u"InitMode"_s, Put, QVariant(1.5), ErrorNumber::ArgumentTypeMismatch},
        {u"InitMode"_s, Put, QVariant(std::nan("")), ErrorNumber::ArgumentTypeMismatch},
        {u"InitMode"_s, Put, QVariant(true), ErrorNumber::ArgumentTypeMismatch},
        {u"InitMode"_s, Put, QVariant(), ErrorNumber::ArgumentTypeMismatch},
        {u"InitMode"_s, Put, QVariant(QStringList{u"5"_s}), ErrorNumber::ArgumentTypeMismatch},
        {u"InitMode"_s, Put, QVariant(qlonglong(2147483648LL)), ErrorNumber::ArgumentOverflow},
        {u"InitMode"_s, Put, QVariant(-2147483649.0), ErrorNumber::ArgumentOverflow},
        {u"InitMode"_s, Put, QVariant(std::numeric_limits<double>::infinity()),
         ErrorNumber::ArgumentOverflow},
        {u"InitMode"_s, Put, QVariant(u"99999999999999999999"_s), ErrorNumber::ArgumentOverflow},
        {u"ServerName"_s, Put, QVariant(5), ErrorNumber::ArgumentTypeMismatch},
        {u"ServerName"_s, Put, QVariant(), ErrorNumber::ArgumentTypeMismatch},
        {u"DSOServer"_s, PutRef, QVariant(u"OLAPPROD01"_s), ErrorNumber::ArgumentTypeMismatch},
        {u"DSOServer"_s, PutRef, QVariant::fromValue(cubeWithTwoMeasures()),
         ErrorNumber::ArgumentTypeMismatch},
    };
    cube->put_InitMode(7);
    for (const Row& row : rows) {
        SCOPED_TRACE(QString(row.member + u' ' + row.arg.toString()).toStdString());
        EXPECT_EQ(failureOf(*object, row.member, row.kind, {row.arg}), row.number);
    }
    EXPECT_EQ(cube->get_InitMode(), 7);
}

TEST_F(DispatchTest, RefusesUnknownNamesAndMembersReachedTheWrongWay) {
    struct Row {
        QString member;
        InvokeKind kind;
        qint32 number;
    };
    const Row rows[] = {
        {u"NoSuchMember"_s, Call, ErrorNumber::UnknownName},
        {QString(), Call, ErrorNumber::UnknownName},
        {u"StartReport"_s, Call, ErrorNumber::UnknownName},
        {u"Init Mode"_s, Get, ErrorNumber::UnknownName},
        {u"DSOServer"_s, Get, ErrorNumber::MemberNotFound},
        {u"ServerName"_s, Get, ErrorNumber::MemberNotFound},
        {u"DSOServer"_s, Put, ErrorNumber::MemberNotFound},
        {u"ServerName"_s, PutRef, ErrorNumber::MemberNotFound},
        {u"InitMode"_s, Call, ErrorNumber::MemberNotFound},
        {u"ShowForm"_s, Get, ErrorNumber::MemberNotFound},
        {u"GetCubeRoles"_s, Get, ErrorNumber::MemberNotFound},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.member.toStdString());
        EXPECT_EQ(failureOf(*object, row.member, row.kind), row.number);
    }
    const std::shared_ptr<Dispatch> main = MakeDispatch(std::make_shared<MetaSelMain>());
    EXPECT_EQ(failureOf(*main, u"ShowForm"_s, Call), ErrorNumber::UnknownName);
    EXPECT_EQ(failureOf(*main, u"InitMode"_s, Get), ErrorNumber::UnknownName);
}

TEST_F(DispatchTest, RefusesTheWrongNumberOfArguments) {
    EXPECT_EQ(failureOf(*object, u"InitMode"_s, Put), ErrorNumber::BadParamCount);
    EXPECT_EQ(failureOf(*object, u"InitMode"_s, Put, {1, 1}), ErrorNumber::BadParamCount);
    EXPECT_EQ(failureOf(*object, u"InitMode"_s, Get, {1}), ErrorNumber::BadParamCount);
    EXPECT_EQ(failureOf(*object, u"ShowForm"_s, Call, {1}), ErrorNumber::BadParamCount);
    EXPECT_EQ(failureOf(*object, u"GetCubeMeasures"_s, Call, {QVariant()}), ErrorNumber::BadParamCount);
    EXPECT_EQ(cube->get_InitMode(), imOLAPServer);
}

// One argument too many reaches the count check only after the member was bound: every member
// of every interface leads somewhere.
TEST(Dispatch, BindsEveryMemberOfEveryClass) {
    for (const ClassDesc& cls : TypeLibrary().classes) {
        const std::shared_ptr<Dispatch> object = CreateObject(cls.progId);
        for (const MemberDesc& member : cls.defaultInterface.members) {
            SCOPED_TRACE(QString(cls.name + u'.' + member.name).toStdString());
            const QVariantList tooMany(member.params.size() + 1);
            EXPECT_EQ(failureOf(*object, member.name, member.kind, tooMany), ErrorNumber::BadParamCount);
        }
    }
}

TEST_F(DispatchTest, MatchesMemberNamesIgnoringCase) {
    object->Invoke(u"initMODE"_s, Put, {1});
    EXPECT_EQ(object->Invoke(u"INITMODE"_s, Get).toInt(), 1);
    EXPECT_EQ(failureOf(*object, u"servername"_s, Put, {u"x"_s}), 0);
}

TEST_F(DispatchTest, SharesTheServerHandedOverByReferenceAndDropsItForNoObject) {
    const std::shared_ptr<Olap::Server> server = Olap::CreateServer();
    object->Invoke(u"DSOServer"_s, PutRef, {QVariant::fromValue(server)});
    EXPECT_EQ(cube->state().DSOServer, server);
    object->Invoke(u"DSOServer"_s, PutRef, {QVariant()});
    EXPECT_EQ(cube->state().DSOServer, nullptr);
    object->Invoke(u"ServerName"_s, Put, {u"OLAPPROD01"_s});
    EXPECT_EQ(cube->state().ServerName, u"OLAPPROD01"_s);
}

TEST_F(DispatchTest, RunsCollectorsOnObjectsTheHostShares) {
    const auto holder = std::make_shared<CubeInfo>();
    const QVariant result =
        object->Invoke(u"GetCubeMeasures"_s, Call,
                       {QVariant::fromValue(cubeWithTwoMeasures()), QVariant::fromValue(holder)});
    EXPECT_EQ(result.typeId(), QMetaType::Bool);
    EXPECT_TRUE(result.toBool());
    ASSERT_EQ(holder->Measures.Count(), 2);
    EXPECT_EQ(holder->Measures[1]->Name, u"Unit Sales"_s);
}

TEST_F(DispatchTest, RefusesCollectorObjectsThatAreMissingOrOfAnotherKind) {
    const QVariant store = QVariant::fromValue(cubeWithTwoMeasures());
    const QVariant holder = QVariant::fromValue(std::make_shared<CubeInfo>());
    const QVariant part = QVariant::fromValue(std::make_shared<PartitionInfo>());
    EXPECT_EQ(failureOf(*object, u"GetCubeMeasures"_s, Call, {store, QVariant()}), ErrorNumber::NullPointer);
    EXPECT_EQ(failureOf(*object, u"GetCubeMeasures"_s, Call,
                        {QVariant::fromValue(std::shared_ptr<Olap::Store>()), holder}),
              ErrorNumber::NullPointer);
    EXPECT_EQ(failureOf(*object, u"GetCubeMeasures"_s, Call, {store, part}),
              ErrorNumber::ArgumentTypeMismatch);
    EXPECT_EQ(failureOf(*object, u"GetCubeMeasures"_s, Call, {holder, store}),
              ErrorNumber::ArgumentTypeMismatch);
    EXPECT_EQ(failureOf(*object, u"GetCubeRoles"_s, Call, {store, QVariant(5)}),
              ErrorNumber::ArgumentTypeMismatch);
}

// Dialogs belong to the application's thread; from any other the call is refused before a
// window is made.
TEST(Dispatch, RefusesDialogMembersOffTheApplicationsThread) {
    const std::shared_ptr<Dispatch> cube = CreateObject(u"Lorvantic.MetaSelCube");
    const std::shared_ptr<Dispatch> main = CreateObject(u"Lorvantic.MetaSelMain");
    qint32 showForm = 0;
    qint32 startReport = 0;
    std::thread worker([&] {
        showForm = failureOf(*cube, u"ShowForm"_s, Call);
        startReport = failureOf(*main, u"StartReport"_s, Call);
    });
    worker.join();
    EXPECT_EQ(showForm, ErrorNumber::WrongThread);
    EXPECT_EQ(startReport, ErrorNumber::WrongThread);
}

TEST(Dispatch, NeedsAnObject) {
    try {
        MakeDispatch(std::shared_ptr<MetaSelCube>());
        FAIL() << "no failure";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::NullPointer);
    }
}
