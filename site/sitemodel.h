#pragma once

// The server as the site shows it: one read of the OLAP model into plain values, so that every
// page, matrix and the search index are written from the same picture and links agree.

#include "model/olap.h"

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace Lorvantic::Site {

struct SiteProperty {
    QString name;
    QString sourceColumn;
};

struct SiteLevel {
    QString name;
    qint32 members = 0;
    qint32 type = 0;
    QString keyColumn;
    QString nameColumn;
    bool hidden = false;
    bool aggregations = false;
    std::vector<SiteProperty> properties;
};

struct SiteDimension {
    QString name;
    bool shared = false;
    QString processed; // ISO moment, empty when never processed
    bool time = false;
    bool isVirtual = false;
    std::vector<SiteLevel> levels;
    QString file; // the shared dimension's page; empty for a cube's own dimension
};

struct SiteMeasure {
    QString name;
    QString aggregation;
    QString format;
    QString sourceColumn;
    bool internal = false;
};

struct SiteCommand {
    QString name;
    QString statement;
    qint16 solveOrder = 0;
};

struct SiteDataSource {
    QString name;
    QString provider;
    QString source;
};

struct SitePartition {
    QString name;
    QString storage;
    QString size;
    std::vector<SiteDataSource> dataSources;
};

struct SiteCube {
    QString name;
    QString processed;
    QString size;
    std::vector<SiteDimension> dimensions; // as the cube names them
    std::vector<SiteMeasure> measures;
    std::vector<SiteCommand> commands;
    std::vector<SitePartition> partitions;
    QStringList roles;
    QString file;
};

struct SiteRole {
    QString name;
    QString description;
    QStringList users;
    QString file;
};

struct SiteDatabase {
    QString name;
    std::vector<SiteCube> cubes;
    std::vector<SiteDimension> dimensions; // shared ones
    std::vector<SiteRole> roles;
    QString processed; // the latest processing of a cube or dimension
    QString file;

    // The database's dimension or role of that exact name; null when it has none.
    const SiteDimension* sharedDimension(const QString& wanted) const;
    const SiteRole* role(const QString& wanted) const;

    // Positions by name (the first of each name), filled with the lists.
    std::map<QString, std::size_t> dimensionAt;
    std::map<QString, std::size_t> roleAt;
};

struct SiteServer {
    QString name;
    std::vector<SiteDatabase> databases;
};

// Reads the connected server. A value the server does not hold is left empty; any other failure
// of a read raises Lorvantic::Error.
SiteServer ReadSite(const Olap::Server& server);

} // namespace Lorvantic::Site
