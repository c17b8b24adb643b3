#pragma once

#include "stats/viewbar/ViewBarNavigator.h"

#include <functional>

class QAbstractItemModel;

namespace wv {

// The view bar's view of a table model: its rows in model order (the
// connection records' own order, not a sorted view) and the first eight
// columns' display texts.
class ModelViewBarTable : public ViewBarTable
{
public:
    ModelViewBarTable(const QAbstractItemModel &model, std::function<void()> refresh)
        : m_model(model), m_refresh(std::move(refresh))
    {
    }
    int rowCount() const override;
    QStringList row(int index) const override;
    void refresh() override
    {
        if (m_refresh)
            m_refresh();
    }

private:
    const QAbstractItemModel &m_model;
    std::function<void()> m_refresh;
};

} // namespace wv
