#pragma once

// Mondrian schema files (XML, root <Schema>) read into the in-memory server model: the schema is
// the server's only database and gives both their names.
//
// - A shared <Dimension> is a shared dimension (type "TimeDimension": dimension type 1), its
//   first hierarchy giving its levels; each further hierarchy is one more dimension named
//   dimension + "." + hierarchy name. A cube's own <Dimension> is a private dimension named
//   cube + "^" + name (further hierarchies likewise "cube^name.hierarchy").
// - A cube uses the dimensions its <DimensionUsage> sources and its own dimensions name, with
//   their further hierarchies; a <VirtualCube> those its <VirtualCubeDimension>s name.
// - <Level>: levelType TimeYears 20, TimeHalfYears 36, TimeQuarters 68, TimeMonths 132, TimeWeeks
//   260, TimeDays 516, TimeHours 772, TimeMinutes 1028, TimeSeconds 2052, else 0; approxRowCount,
//   column, nameColumn, visible="false" (hidden); its <Property>s.
// - <Measure>: aggregator sum 0, count 1, min 2, max 3, distinct-count 4, avg 5, any other 6;
//   formatString; column, or "expression" for a <MeasureExpression>; visible="false" (internal).
// - <CalculatedMember>: command "CREATE MEMBER [cube].[dimension].[name] AS 'formula'" with the
//   SOLVE_ORDER of its properties; <NamedSet>: "CREATE SET [cube].[name] AS 'formula'" (a set of
//   the schema belongs to every cube).
// - The fact table: one ROLAP partition (storage mode 3) named after it, an aggregation for each
//   <AggName>, the schema's name as its data source.
// - <Role>: a role, carried by every cube one of its <CubeGrant access="all"> names.
// - Cubes count as processed, at the file's modification time.

#include "model/servermodel.h"

#include <QDateTime>

class QIODevice;

namespace Lorvantic::Olap {

// Reads a whole schema from device. origin starts every error description; fileTime (when valid)
// is when the cubes count as processed. A fault raises Lorvantic::Error
// (ErrorNumber::BadDescription) naming line, column and what is wrong: XML that is not
// well-formed, another root element, a missing name, a number that is not one, a second
// dimension, cube or role of one name, a reference to a dimension, cube or role the schema does
// not have.
ServerData ReadMondrianSchema(QIODevice& device, const QString& origin, const QDateTime& fileTime);

// As above; the processing time is the modification time of the file device is (if it is one).
ServerData ReadMondrianSchema(QIODevice& device, const QString& origin);

} // namespace Lorvantic::Olap
