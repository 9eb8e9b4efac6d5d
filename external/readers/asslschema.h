#pragma once

// Multidimensional database definitions in ASSL (the XML of an ".asdatabase" file, root
// <Database>) read into the in-memory server model: the database is the server's only one and
// gives both their names. Objects refer to each other by <ID>; the model names them.
//
// - A database <Dimension> is a shared dimension (<Type> Time: dimension type 1) whose levels are
//   its attributes: first those its hierarchies' levels name, in hierarchy order, then the rest
//   in file order. An attribute's <Type> Years, HalfYears, Quarters, Months, Weeks, Days (and
//   Date), Hours, Minutes, Seconds (also with a Fiscal, Reporting, Manufacturing or Iso8601
//   prefix) gives the level type of that time unit; its attribute relationships are the level's
//   member properties.
// - A cube uses the dimensions its cube dimensions name, carries the roles its
//   <CubePermission>s name, and holds its measure groups' measures (<AggregateFunction> Sum 0,
//   Count 1, Min 2, Max 3, DistinctCount 4, None 5, ByAccount 6, AverageOfChildren 7, FirstChild
//   8, LastChild 9, FirstNonEmpty 10, LastNonEmpty 11, any other 12) and partitions
//   (<StorageMode> Molap 0, Holap 1, Rolap 3, any other -1; the aggregations of the aggregation
//   design they use; their data source with its connection string).
// - Each CREATE MEMBER and CREATE SET statement of a cube's MDX scripts is a command holding the
//   statement as written, named after what it creates, with the SOLVE_ORDER it gives (or the
//   one of its calculation properties).
// - <State> Processed (1) or PartiallyProcessed (2), <LastProcessed> and a cube's estimated size
//   (its measure groups' or partitions' <EstimatedSize>) where the file has them.

#include "model/servermodel.h"

class QIODevice;

namespace Lorvantic::Olap {

// Reads a whole database definition from device. origin starts every error description. A fault
// raises Lorvantic::Error (ErrorNumber::BadDescription) naming line, column and what is wrong:
// XML that is not well-formed, another root element, a missing name, a value that is not one of
// its kind, a second dimension, cube or role of one name, a reference to an object the database
// does not have.
ServerData ReadAsslDatabase(QIODevice& device, const QString& origin);

} // namespace Lorvantic::Olap
