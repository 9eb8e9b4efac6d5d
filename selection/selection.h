#pragma once

// What a selector offers and what the user picked: the catalogue (one row per item on the
// server, with the columns the selection dialog shows it in) and the information categories.
// It travels as a value: a kind makes it, the dialog or the command line ticks it, and the
// collection step is handed it.

#include <QString>
#include <vector>

namespace Lorvantic {

// One item of the catalogue. Rows the catalogue made room for but could not fill stay empty.
struct SelectionRow {
    QString database;
    QString name;
    QString detail; // the size ("12.5 MB") of a cube or dimension, the description of a role
    QString status; // processed or not, or why a cube could not be read; roles leave it empty
    bool checked = false;
};

// The row's text in catalogue column 0 (database) to 3 (status); "" beyond.
QString ColumnText(const SelectionRow& row, std::size_t column);

// One column of the catalogue as the dialog shows it.
struct SelectionColumn {
    QString caption;
    qint32 alignment = 0; // 0 left, 1 right, 2 centre
    qint32 width = 1440;  // twips
};

// One information category. Its key is "VOKKey" and its number (the kind's information
// enumeration value); the parent's key, or "" at the top level. The role tree carries a
// category without key or caption after its two real ones.
struct SelectionCategory {
    QString key;
    QString caption;
    QString parent;
    bool checked = false;
};

// The category numbered number (1 upwards), unchecked, under parentNumber (0: at the top level).
SelectionCategory MakeCategory(qint32 number, const QString& caption, qint32 parentNumber);

// Whether category number n (at n - 1) is checked; a number without a category fails
// (SubscriptOutOfRange), as it does before a kind has offered its categories.
bool CategoryChecked(const std::vector<SelectionCategory>& categories, qint32 number);

// Makes room for count more rows behind the rows so far and returns the first new row's
// position; a negative count fails (SubscriptOutOfRange).
std::size_t GrowRows(std::vector<SelectionRow>& rows, qint32 count);

struct Selection {
    std::vector<SelectionRow> rows;
    std::vector<SelectionColumn> columns;
    std::vector<SelectionCategory> categories; // category number n at n - 1

    bool categoryChecked(qint32 number) const { return CategoryChecked(categories, number); }
    // Ticks every row, or only the row of that database and name; returns whether it found one.
    void checkAllRows(bool checked);
    bool checkRow(const QString& database, const QString& name);
    // Checks the category with that caption (ignoring letter case); returns whether there is one.
    bool checkCategory(const QString& caption, bool checked);
    // Checks every category that has a caption.
    void checkAllCategories();
};

} // namespace Lorvantic
