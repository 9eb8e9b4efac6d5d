#include "automation/dispatch.h"
#include "automation/factory.h"
#include "automation/metaselcube.h"
#include "automation/metaselmain.h"
#include "core/selectorstate.h"
#include "model/error.h"
#include "model/holders.h"
#include "model/olap.h"
#include "tests/support/testsupport.h"

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
    return Test::failureOf([&] { object.Invoke(member, kind, args); }).number;
}

// "Sales" of cubes.json, a cube of two measures.
std::shared_ptr<Olap::Store> cubeWithTwoMeasures() {
    return Olap::ServerFromModel(Test::serverFile(u"cubes.json"_s))->Databases()->Item(1)->Cubes()->Item(1);
}

class DispatchTest : public ::testing::Test {
protected:
    std::shared_ptr<MetaSelCube> cube = std::make_shared<MetaSelCube>();
    std::shared_ptr<Dispatch> object = MakeDispatch(cube);
};

} // namespace

// Integral values of any type convert to the mode's type; member names match in
// any case.
TEST_F(DispatchTest, StoresAnyIntegralInitModeAndReadsItBack) {
    const std::pair<QVariant, qint32> rows[] = {
        {5, 5},
        {1, 1},
        {-3, -3},
        {qlonglong(6), 6},
        {7u, 7},
        {8.0, 8},
        {u" 9 "_s, 9},
        {u"+10"_s, 10},
        {short(11), 11},
        {u"-2147483648"_s, std::numeric_limits<qint32>::min()},
        {0, 0},
        {QVariant::fromValue(12L), 12}, // a C long is an integer too
        {QVariant::fromValue(13UL), 13},
    };
    for (const auto& [arg, stored] : rows) {
        SCOPED_TRACE(arg.toString().toStdString());
        object->Invoke(u"initMODE"_s, Put, {arg});
        const QVariant back = object->Invoke(u"INITMODE"_s, Get);
        EXPECT_EQ(back.typeId(), QMetaType::Int);
        EXPECT_EQ(back.toInt(), stored);
        EXPECT_EQ(cube->get_InitMode(), stored);
    }
}

// Every refused call leaves the object as it was.
TEST_F(DispatchTest, RefusesBadCallsWithTheirNumbers) {
    const QVariant store = QVariant::fromValue(cubeWithTwoMeasures());
    const QVariant holder = QVariant::fromValue(std::make_shared<CubeInfo>());
    const QVariant part = QVariant::fromValue(std::make_shared<PartitionInfo>());
    struct Row {
        QString member;
        InvokeKind kind;
        QVariantList args;
        qint32 number;
    };
    std::vector<Row> rows;
    // Arguments of the wrong type or range
    for (const QVariant& bad :
         {QVariant(u"abc"_s), QVariant(u"5.0"_s), QVariant(u""_s), QVariant(1.5), QVariant(std::nan("")),
          QVariant(true), QVariant(), QVariant(QStringList{u"5"_s})})
        rows.push_back({u"InitMode"_s, Put, {bad}, ErrorNumber::ArgumentTypeMismatch});
    for (const QVariant& big :
         {QVariant(qlonglong(2147483648LL)), QVariant(-2147483649.0),
          QVariant(std::numeric_limits<double>::infinity()), QVariant(u"99999999999999999999"_s)})
        rows.push_back({u"InitMode"_s, Put, {big}, ErrorNumber::ArgumentOverflow});
    const Row others[] = {
        {u"ServerName"_s, Put, {5}, ErrorNumber::ArgumentTypeMismatch},
        {u"ServerName"_s, Put, {QVariant()}, ErrorNumber::ArgumentTypeMismatch},
        {u"DSOServer"_s, PutRef, {u"OLAPPROD01"_s}, ErrorNumber::ArgumentTypeMismatch},
        {u"DSOServer"_s, PutRef, {store}, ErrorNumber::ArgumentTypeMismatch},
        // Unknown names and members reached the wrong way
        {u"NoSuchMember"_s, Call, {}, ErrorNumber::UnknownName},
        {QString(), Call, {}, ErrorNumber::UnknownName},
        {u"StartReport"_s, Call, {}, ErrorNumber::UnknownName},
        {u"Init Mode"_s, Get, {}, ErrorNumber::UnknownName},
        {u"DSOServer"_s, Get, {}, ErrorNumber::MemberNotFound},
        {u"ServerName"_s, Get, {}, ErrorNumber::MemberNotFound},
        {u"DSOServer"_s, Put, {}, ErrorNumber::MemberNotFound},
        {u"ServerName"_s, PutRef, {}, ErrorNumber::MemberNotFound},
        {u"InitMode"_s, Call, {}, ErrorNumber::MemberNotFound},
        {u"ShowForm"_s, Get, {}, ErrorNumber::MemberNotFound},
        {u"GetCubeRoles"_s, Get, {}, ErrorNumber::MemberNotFound},
        // The wrong number of arguments
        {u"InitMode"_s, Put, {}, ErrorNumber::BadParamCount},
        {u"InitMode"_s, Put, {1, 1}, ErrorNumber::BadParamCount},
        {u"InitMode"_s, Get, {1}, ErrorNumber::BadParamCount},
        {u"ShowForm"_s, Call, {1}, ErrorNumber::BadParamCount},
        {u"GetCubeMeasures"_s, Call, {QVariant()}, ErrorNumber::BadParamCount},
        // Collector objects that are missing or of another kind
        {u"GetCubeMeasures"_s, Call, {store, QVariant()}, ErrorNumber::NullPointer},
        {u"GetCubeMeasures"_s,
         Call,
         {QVariant::fromValue(std::shared_ptr<Olap::Store>()), holder},
         ErrorNumber::NullPointer},
        {u"GetCubeMeasures"_s, Call, {store, part}, ErrorNumber::ArgumentTypeMismatch},
        {u"GetCubeMeasures"_s, Call, {holder, store}, ErrorNumber::ArgumentTypeMismatch},
        {u"GetCubeRoles"_s, Call, {store, 5}, ErrorNumber::ArgumentTypeMismatch},
    };
    rows.insert(rows.end(), std::begin(others), std::end(others));
    cube->put_InitMode(7);
    for (const Row& row : rows) {
        SCOPED_TRACE(QString(row.member + u' ' + QVariant(row.args).toStringList().join(u',')).toStdString());
        EXPECT_EQ(failureOf(*object, row.member, row.kind, row.args), row.number);
    }
    EXPECT_EQ(cube->get_InitMode(), 7);
    EXPECT_EQ(failureOf(*object, u"servername"_s, Put, {u"x"_s}), 0);
    const std::shared_ptr<Dispatch> main = MakeDispatch(std::make_shared<MetaSelMain>());
    EXPECT_EQ(failureOf(*main, u"ShowForm"_s, Call), ErrorNumber::UnknownName);
    EXPECT_EQ(failureOf(*main, u"InitMode"_s, Get), ErrorNumber::UnknownName);
    EXPECT_THROW(MakeDispatch(std::shared_ptr<MetaSelCube>()), Error) << "no object";
}

// One argument too many reaches the count check only after the member was
// bound: every member of every interface leads somewhere.
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

// Dialogs belong to the application's thread; from any other the call is
// refused before a window is made.
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
