#pragma once

// What each kind of selector brings to the flow: the catalogue with its columns, the information
// categories, the collection of one checked row, and the report run over what was collected.
// A kind follows the categories of its last collection (before one, the unchecked ones it last
// offered) in what it gathers and what its page shows.

#include "selection/selection.h"

#include <QString>
#include <vector>

namespace Lorvantic {

class SelectorKind {
public:
    virtual ~SelectorKind() = default;
    // Every item on the server, unchecked; reads as far as the kind's failure rules let it.
    virtual std::vector<SelectionRow> GetCatalogue() = 0;
    virtual std::vector<SelectionColumn> GetColumns() const = 0;
    // The information categories, unchecked.
    std::vector<SelectionCategory> GetInfoTree() {
        followCategories(infoTree());
        return m_categories;
    }

    // Collection, driven by the flow: a new, empty info list for the selection, whose categories
    // the kind follows from now on, then each checked row in catalogue order.
    void BeginCollection(const Selection& selection) {
        followCategories(selection.categories);
        startInfoList(selection);
    }
    virtual void CollectItem(const SelectionRow& row) = 0;
    // What the progress display says while the rows are collected.
    virtual QString collectionStatus() const = 0;

    // The page over the info list, where the selector state's page options say.
    virtual void CreateReport() = 0;

    // The categories the kind follows from now on, and whether they check category number n
    // (which fails where they have none of that number).
    void followCategories(std::vector<SelectionCategory> categories) { m_categories = std::move(categories); }
    bool categoryChecked(qint32 category) const { return CategoryChecked(m_categories, category); }

protected:
    virtual std::vector<SelectionCategory> infoTree() const = 0;
    virtual void startInfoList(const Selection& selection) = 0;

private:
    std::vector<SelectionCategory> m_categories;
};

} // namespace Lorvantic
