#include "site/sitepages.h"

#include "report/jsonwriter.h"
#include "site/html.h"
#include "site/siteassets.h"

#include <QDir>
#include <map>

namespace Lorvantic::Site {

namespace {

// The kinds of the search index, in the order of their numbers there.
enum class Kind { Cube, Dimension, Level, Measure, CalculatedMember, Role, User };
const QStringList& kindNames() {
    static const QStringList names{
        QStringLiteral("cube"),    QStringLiteral("dimension"),         QStringLiteral("level"),
        QStringLiteral("measure"), QStringLiteral("calculated member"), QStringLiteral("role"),
        QStringLiteral("user")};
    return names;
}

struct SearchItem {
    QString name;
    Kind kind;
    qsizetype database;
    QString href;
    QString owner = {}; // the cube, dimension or role it belongs to
};

QString number(qsizetype value) {
    return QString::number(value);
}

QString yesNo(bool value) {
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QString anchor(QStringView prefix, qsizetype position) {
    return prefix + u'-' + number(position + 1);
}

QString shownMoment(const QString& moment) {
    return moment.isEmpty() ? QStringLiteral("never processed") : Html::Text(moment);
}

// Cube's dimension: its own page when the database shares one of that name, else its row on the
// cube's page.
QString dimensionHref(const SiteDatabase& database, const SiteCube& cube, qsizetype position) {
    const SiteDimension* shared = database.sharedDimension(cube.dimensions.at(position).name);
    return shared ? shared->file : QString(cube.file + u'#' + anchor(u"dimension", position));
}

QString roleLink(const SiteDatabase& database, const QString& name) {
    const SiteRole* role = database.role(name);
    return role ? Html::Link(role->file, name) : Html::Text(name);
}

QStringList trailTo(const SiteServer& server, const SiteDatabase* database) {
    QStringList trail{Html::Link(QStringLiteral("index.html"),
                                 server.name.isEmpty() ? QStringLiteral("Server") : server.name)};
    if (database)
        trail << Html::Link(database->file, database->name);
    return trail;
}

// The cubes of the database that name each dimension, by dimension name in order of first use.
struct Usage {
    QStringList dimensions;
    std::map<QString, std::vector<std::pair<const SiteCube*, qsizetype>>> cubes;
};

Usage usageOf(const SiteDatabase& database) {
    Usage usage;
    for (const SiteCube& cube : database.cubes) {
        for (qsizetype d = 0; d < qsizetype(cube.dimensions.size()); ++d) {
            const QString& name = cube.dimensions.at(d).name;
            auto& users = usage.cubes[name];
            if (users.empty())
                usage.dimensions << name;
            users.emplace_back(&cube, d);
        }
    }
    return usage;
}

void writeLevels(SitePage& page, const QString& caption, const std::vector<SiteLevel>& levels,
                 QStringView idPrefix) {
    page.TableStart(caption,
                    {QStringLiteral("Level"), QStringLiteral("Members"), QStringLiteral("Type"),
                     QStringLiteral("Key column"), QStringLiteral("Name column"), QStringLiteral("Hidden"),
                     QStringLiteral("Aggregations"), QStringLiteral("Member properties")});
    for (qsizetype l = 0; l < qsizetype(levels.size()); ++l) {
        const SiteLevel& level = levels.at(l);
        QStringList properties;
        for (const SiteProperty& property : level.properties)
            properties << Html::Text(property.name) + u" (" + Html::Text(property.sourceColumn) + u')';
        page.Row({Html::Text(level.name), number(level.members), number(level.type),
                  Html::Text(level.keyColumn), Html::Text(level.nameColumn), yesNo(level.hidden),
                  yesNo(level.aggregations), properties.join(QStringLiteral("<br>"))},
                 idPrefix.isEmpty() ? QString() : QString(idPrefix + u"-level-" + number(l + 1)));
    }
    page.TableEnd();
}

void writeCubeDimensions(SitePage& page, const SiteDatabase& database, const SiteCube& cube) {
    page.Heading(2, u"Dimensions", u"dimensions");
    page.TableStart(u"Dimensions of the cube", {QStringLiteral("Dimension"), QStringLiteral("Shared"),
                                                QStringLiteral("Time"), QStringLiteral("Levels")});
    for (qsizetype d = 0; d < qsizetype(cube.dimensions.size()); ++d) {
        const SiteDimension& dimension = cube.dimensions.at(d);
        QStringList levels;
        for (const SiteLevel& level : dimension.levels)
            levels << Html::Text(level.name);
        page.Row({Html::Link(dimensionHref(database, cube, d), dimension.name),
                  yesNo(database.sharedDimension(dimension.name)), yesNo(dimension.time), levels.join(u", ")},
                 anchor(u"dimension", d));
    }
    page.TableEnd();
    for (qsizetype d = 0; d < qsizetype(cube.dimensions.size()); ++d) {
        const SiteDimension& dimension = cube.dimensions.at(d);
        if (!database.sharedDimension(dimension.name) && !dimension.levels.empty())
            writeLevels(page, u"Levels of " + dimension.name, dimension.levels, anchor(u"dimension", d));
    }
}

void writeCubeMeasures(SitePage& page, const SiteCube& cube) {
    page.Heading(2, u"Measures", u"measures");
    page.TableStart(u"Measures of the cube",
                    {QStringLiteral("Measure"), QStringLiteral("Aggregation"), QStringLiteral("Format"),
                     QStringLiteral("Source column"), QStringLiteral("Internal")});
    for (qsizetype m = 0; m < qsizetype(cube.measures.size()); ++m) {
        const SiteMeasure& measure = cube.measures.at(m);
        page.Row({Html::Text(measure.name), Html::Text(measure.aggregation), Html::Text(measure.format),
                  Html::Text(measure.sourceColumn), yesNo(measure.internal)},
                 anchor(u"measure", m));
    }
    page.TableEnd();
    if (cube.commands.empty())
        return;
    page.Heading(2, u"Calculated members", u"calculated-members");
    page.TableStart(
        u"Calculated members of the cube",
        {QStringLiteral("Calculated member"), QStringLiteral("Solve order"), QStringLiteral("Statement")});
    for (qsizetype c = 0; c < qsizetype(cube.commands.size()); ++c) {
        const SiteCommand& command = cube.commands.at(c);
        page.Row({Html::Text(command.name), number(command.solveOrder),
                  u"<code>" + Html::Text(command.statement) + u"</code>"},
                 anchor(u"calculated-member", c));
    }
    page.TableEnd();
}

void writeCubePartitions(SitePage& page, const SiteCube& cube) {
    if (cube.partitions.empty())
        return;
    page.Heading(2, u"Partitions", u"partitions");
    page.TableStart(u"Partitions of the cube", {QStringLiteral("Partition"), QStringLiteral("Storage"),
                                                QStringLiteral("Size (MB)"), QStringLiteral("Data sources")});
    for (const SitePartition& partition : cube.partitions) {
        QStringList sources;
        for (const SiteDataSource& source : partition.dataSources)
            sources << Html::Text(source.name) + u": " + Html::Text(source.provider) + u", " +
                           Html::Text(source.source);
        page.Row({Html::Text(partition.name), Html::Text(partition.storage), Html::Text(partition.size),
                  sources.join(QStringLiteral("<br>"))});
    }
    page.TableEnd();
}

void writeLinkList(SitePage& page, const QStringList& links, QStringView none) {
    if (links.isEmpty()) {
        page.Paragraph(Html::Text(none));
        return;
    }
    page.Line(QStringLiteral("<ul>"));
    for (const QString& link : links)
        page.Line(u"<li>" + link + u"</li>");
    page.Line(QStringLiteral("</ul>"));
}

void writeCubePage(const QDir& folder, const SiteServer& server, const SiteDatabase& database,
                   const SiteCube& cube) {
    SitePage page(folder.filePath(cube.file), cube.name, trailTo(server, &database));
    page.Paragraph(u"Cube of " + Html::Link(database.file, database.name) + u"; last processed: " +
                   shownMoment(cube.processed) + u"; estimated size: " + Html::Text(cube.size) + u" MB.");
    writeCubeDimensions(page, database, cube);
    writeCubeMeasures(page, cube);
    writeCubePartitions(page, cube);
    page.Heading(2, u"Roles", u"roles");
    QStringList roles;
    for (const QString& role : cube.roles)
        roles << roleLink(database, role);
    writeLinkList(page, roles, u"No role reaches this cube.");
    page.Finish();
}

void writeDimensionPage(const QDir& folder, const SiteServer& server, const SiteDatabase& database,
                        const SiteDimension& dimension, const Usage& usage) {
    SitePage page(folder.filePath(dimension.file), dimension.name, trailTo(server, &database));
    page.Paragraph(u"Shared dimension of " + Html::Link(database.file, database.name) +
                   u"; last processed: " + shownMoment(dimension.processed) + u"; time: " +
                   yesNo(dimension.time) + u"; virtual: " + yesNo(dimension.isVirtual) + u'.');
    page.Heading(2, u"Levels", u"levels");
    writeLevels(page, QStringLiteral("Levels of the dimension"), dimension.levels, u"dimension");
    page.Heading(2, u"Cubes using it", u"cubes");
    QStringList cubes;
    const auto users = usage.cubes.find(dimension.name);
    if (users != usage.cubes.end()) {
        for (const auto& [cube, position] : users->second)
            cubes << Html::Link(cube->file + u'#' + anchor(u"dimension", position), cube->name);
    }
    writeLinkList(page, cubes, u"No cube uses this dimension.");
    page.Finish();
}

void writeRolePage(const QDir& folder, const SiteServer& server, const SiteDatabase& database,
                   const SiteRole& role) {
    SitePage page(folder.filePath(role.file), role.name, trailTo(server, &database));
    page.Paragraph(u"Role of " + Html::Link(database.file, database.name) + u'.');
    page.Paragraph(Html::Text(role.description));
    page.Heading(2, u"Users", u"users");
    QStringList users;
    for (qsizetype u = 0; u < role.users.size(); ++u)
        users << u"<span id=\"" + anchor(u"user", u) + u"\">" + Html::Text(role.users.at(u)) + u"</span>";
    writeLinkList(page, users, u"No users.");
    page.Heading(2, u"Cubes it reaches", u"cubes");
    QStringList cubes;
    for (const SiteCube& cube : database.cubes) {
        if (cube.roles.contains(role.name))
            cubes << Html::Link(cube.file + QStringLiteral("#roles"), cube.name);
    }
    writeLinkList(page, cubes, u"The role reaches no cube.");
    page.Finish();
}

// Dimension usage: cubes by dimensions (as the cubes name them), with totals.
void writeUsageMatrix(SitePage& page, const SiteDatabase& database, const Usage& usage) {
    page.Heading(2, u"Dimension usage", u"dimension-usage");
    QStringList headings{QStringLiteral("Cube")};
    for (const QString& name : usage.dimensions) {
        const SiteDimension* shared = database.sharedDimension(name);
        headings << (shared ? Html::Link(shared->file, name) : Html::Text(name));
    }
    headings << QStringLiteral("Total");
    page.TableStart(u"Dimension usage: cubes by dimensions", headings, u"matrix");
    for (const SiteCube& cube : database.cubes) {
        std::map<QString, qsizetype> positions; // the first dimension of each name
        for (qsizetype d = qsizetype(cube.dimensions.size()) - 1; d >= 0; --d)
            positions[cube.dimensions.at(d).name] = d;
        QStringList cells{Html::Link(cube.file, cube.name)};
        for (const QString& name : usage.dimensions) {
            const auto used = positions.find(name);
            cells << (used == positions.end()
                          ? QString()
                          : QString(u"<a class=\"mark\" title=\"used\" href=\"" + Html::Text(cube.file) +
                                    u'#' + anchor(u"dimension", used->second) + u"\">&#x25CF;</a>"));
        }
        cells << number(qsizetype(cube.dimensions.size()));
        page.Row(cells);
    }
    QStringList totals{QStringLiteral("Total")};
    for (const QString& name : usage.dimensions)
        totals << number(qsizetype(usage.cubes.at(name).size()));
    page.Row(totals);
    page.TableEnd();
}

// Roles by cubes: a cell says whether the cube carries the role.
void writeRoleMatrix(SitePage& page, const SiteDatabase& database) {
    page.Heading(2, u"Role access", u"role-access");
    QStringList headings{QStringLiteral("Role")};
    for (const SiteCube& cube : database.cubes)
        headings << Html::Link(cube.file, cube.name);
    headings << QStringLiteral("Total");
    page.TableStart(u"Role access: roles by cubes", headings, u"matrix");
    std::vector<qsizetype> columnTotals(database.cubes.size(), 0);
    for (const SiteRole& role : database.roles) {
        QStringList cells{Html::Link(role.file, role.name)};
        qsizetype total = 0;
        for (qsizetype c = 0; c < qsizetype(database.cubes.size()); ++c) {
            const SiteCube& cube = database.cubes.at(c);
            const bool carried = cube.roles.contains(role.name);
            cells << (carried ? QString(u"<a class=\"mark\" title=\"access\" href=\"" +
                                        Html::Text(cube.file) + u"#roles\">access</a>")
                              : QString());
            total += carried ? 1 : 0;
            columnTotals[c] += carried ? 1 : 0;
        }
        cells << number(total);
        page.Row(cells);
    }
    QStringList totals{QStringLiteral("Total")};
    for (const qsizetype total : columnTotals)
        totals << number(total);
    page.Row(totals);
    page.TableEnd();
}

void writeDatabasePage(const QDir& folder, const SiteServer& server, const SiteDatabase& database,
                       const Usage& usage) {
    SitePage page(folder.filePath(database.file), database.name, trailTo(server, nullptr));
    page.Paragraph(u"Last processed: " + shownMoment(database.processed) + u'.');
    page.Heading(2, u"Cubes", u"cubes");
    page.TableStart(u"Cubes of the database", {QStringLiteral("Cube"), QStringLiteral("Dimensions"),
                                               QStringLiteral("Measures"), QStringLiteral("Last processed")});
    for (const SiteCube& cube : database.cubes)
        page.Row({Html::Link(cube.file, cube.name), number(qsizetype(cube.dimensions.size())),
                  number(qsizetype(cube.measures.size())), shownMoment(cube.processed)});
    page.TableEnd();
    page.Heading(2, u"Shared dimensions", u"dimensions");
    QStringList dimensions;
    for (const SiteDimension& dimension : database.dimensions)
        dimensions << Html::Link(dimension.file, dimension.name);
    writeLinkList(page, dimensions, u"No shared dimensions.");
    page.Heading(2, u"Roles", u"roles");
    QStringList roles;
    for (const SiteRole& role : database.roles)
        roles << Html::Link(role.file, role.name);
    writeLinkList(page, roles, u"No roles.");
    writeUsageMatrix(page, database, usage);
    writeRoleMatrix(page, database);
    page.Finish();
}

qsizetype measureCount(const SiteDatabase& database) {
    qsizetype count = 0;
    for (const SiteCube& cube : database.cubes)
        count += qsizetype(cube.measures.size());
    return count;
}

void writeIndexPage(const QDir& folder, const SiteServer& server, const QString& generated) {
    SitePage page(folder.filePath(QStringLiteral("index.html")),
                  server.name.isEmpty() ? QStringLiteral("Server") : server.name, {});
    page.Heading(2, u"Databases", u"databases");
    page.TableStart(u"Databases of the server",
                    {QStringLiteral("Database"), QStringLiteral("Cubes"), QStringLiteral("Shared dimensions"),
                     QStringLiteral("Measures"), QStringLiteral("Roles"), QStringLiteral("Last processed")});
    for (const SiteDatabase& database : server.databases)
        page.Row({Html::Link(database.file, database.name), number(qsizetype(database.cubes.size())),
                  number(qsizetype(database.dimensions.size())), number(measureCount(database)),
                  number(qsizetype(database.roles.size())), shownMoment(database.processed)});
    page.TableEnd();
    if (!generated.isEmpty())
        page.Paragraph(u"Written by kavenor " LORVANTIC_VERSION " at " + Html::Text(generated) + u'.');
    page.Finish();
}

void collectCube(std::vector<SearchItem>& items, qsizetype db, const SiteDatabase& database,
                 const SiteCube& cube) {
    items.push_back({cube.name, Kind::Cube, db, cube.file});
    const auto add = [&](const QString& name, Kind kind, const QString& href, const QString& owner) {
        items.push_back({name, kind, db, href, owner});
    };
    for (qsizetype d = 0; d < qsizetype(cube.dimensions.size()); ++d) {
        const SiteDimension& dimension = cube.dimensions.at(d);
        if (database.sharedDimension(dimension.name))
            continue; // listed once, with its own page
        const QString href = cube.file + u'#' + anchor(u"dimension", d);
        add(dimension.name, Kind::Dimension, href, cube.name);
        for (qsizetype l = 0; l < qsizetype(dimension.levels.size()); ++l)
            add(dimension.levels.at(l).name, Kind::Level, href + u"-level-" + number(l + 1), dimension.name);
    }
    for (qsizetype m = 0; m < qsizetype(cube.measures.size()); ++m)
        add(cube.measures.at(m).name, Kind::Measure, cube.file + u'#' + anchor(u"measure", m), cube.name);
    for (qsizetype c = 0; c < qsizetype(cube.commands.size()); ++c)
        add(cube.commands.at(c).name, Kind::CalculatedMember,
            cube.file + u'#' + anchor(u"calculated-member", c), cube.name);
}

std::vector<SearchItem> searchItems(const SiteServer& server) {
    std::vector<SearchItem> items;
    for (qsizetype db = 0; db < qsizetype(server.databases.size()); ++db) {
        const SiteDatabase& database = server.databases.at(db);
        for (const SiteCube& cube : database.cubes)
            collectCube(items, db, database, cube);
        for (const SiteDimension& dimension : database.dimensions) {
            items.push_back({dimension.name, Kind::Dimension, db, dimension.file});
            for (qsizetype l = 0; l < qsizetype(dimension.levels.size()); ++l)
                items.push_back({dimension.levels.at(l).name, Kind::Level, db,
                                 dimension.file + u"#dimension-level-" + number(l + 1), dimension.name});
        }
        for (const SiteRole& role : database.roles) {
            items.push_back({role.name, Kind::Role, db, role.file});
            for (qsizetype u = 0; u < role.users.size(); ++u)
                items.push_back(
                    {role.users.at(u), Kind::User, db, role.file + u'#' + anchor(u"user", u), role.name});
        }
    }
    return items;
}

void appendStrings(PageWriter& out, const QStringList& strings) {
    out.AppendAscii("[");
    for (qsizetype i = 0; i < strings.size(); ++i) {
        if (i > 0)
            out.AppendAscii(",");
        Json::AppendString(out, strings.at(i));
    }
    out.AppendAscii("]");
}

// The owners' names, each once, and each item's position among them (-1 for none).
struct Owners {
    QStringList names;
    std::vector<qsizetype> of;
};

Owners ownersOf(const std::vector<SearchItem>& items) {
    Owners owners;
    std::map<QString, qsizetype> known;
    for (const SearchItem& item : items) {
        if (item.owner.isEmpty()) {
            owners.of.push_back(-1);
            continue;
        }
        const auto [at, added] = known.try_emplace(item.owner, owners.names.size());
        if (added)
            owners.names << item.owner;
        owners.of.push_back(at->second);
    }
    return owners;
}

// The index as a script: window.lorvanticSearch = {kinds, databases, owners, items: [name, kind,
// database, href, owner]}, numbers being positions in the lists. Every string is a JSON string
// with '<', '>' and '&' escaped, so no name ends the script.
void writeSearchIndex(const QDir& folder, const SiteServer& server) {
    const std::vector<SearchItem> items = searchItems(server);
    const Owners owners = ownersOf(items);
    PageWriter out(folder.filePath(QStringLiteral("search-index.js")), true);
    out.AppendAscii("window.lorvanticSearch = {\"kinds\": ");
    appendStrings(out, kindNames());
    out.AppendAscii(",\n\"databases\": ");
    QStringList databases;
    for (const SiteDatabase& database : server.databases)
        databases << database.name;
    appendStrings(out, databases);
    out.AppendAscii(",\n\"owners\": ");
    appendStrings(out, owners.names);
    out.AppendAscii(",\n\"items\": [");
    for (std::size_t i = 0; i < items.size(); ++i) {
        const SearchItem& item = items.at(i);
        out.AppendAscii(i == 0 ? "\n[" : ",\n[");
        Json::AppendString(out, item.name);
        out.AppendAscii(QByteArray(',' + QByteArray::number(int(item.kind)) + ',' +
                                   QByteArray::number(item.database) + ','));
        Json::AppendString(out, item.href);
        out.AppendAscii(QByteArray(',' + QByteArray::number(owners.of.at(i)) + ']'));
    }
    out.AppendAscii("]};");
    out.EndLine();
    Html::FinishFile(out);
}

void writeAsset(const QDir& folder, const char* name, QByteArrayView bytes) {
    PageWriter out(folder.filePath(QString::fromLatin1(name)), true);
    out.AppendAscii(bytes);
    Html::FinishFile(out);
}

} // namespace

void WriteSiteFiles(const SiteServer& server, const QString& folder, const QString& generated) {
    const QDir dir(folder);
    writeAsset(dir, "site.css", StyleSheet());
    writeAsset(dir, "search.js", SearchScript());
    writeSearchIndex(dir, server);
    writeIndexPage(dir, server, generated);
    for (const SiteDatabase& database : server.databases) {
        const Usage usage = usageOf(database);
        writeDatabasePage(dir, server, database, usage);
        for (const SiteCube& cube : database.cubes)
            writeCubePage(dir, server, database, cube);
        for (const SiteDimension& dimension : database.dimensions)
            writeDimensionPage(dir, server, database, dimension, usage);
        for (const SiteRole& role : database.roles)
            writeRolePage(dir, server, database, role);
    }
}

} // namespace Lorvantic::Site
