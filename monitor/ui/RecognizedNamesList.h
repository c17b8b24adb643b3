#pragma once

#include <QWidget>

class QPushButton;
class QTreeView;

namespace wv {

class FriendlyNames;
class RecognizedNamesModel;

// The "Recognized" list with its Add, Edit, Delete and "Clear all" buttons,
// as the options dialog hosts it.
class RecognizedNamesList : public QWidget
{
    Q_OBJECT
public:
    explicit RecognizedNamesList(FriendlyNames &names, QWidget *parent = nullptr);

    void RefreshRecognized();

    QTreeView *lvRecognized = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnEdit = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnClearAll = nullptr;
    RecognizedNamesModel *model() const { return m_model; }

    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnClearAllClick();

private:
    int selectedRow() const;
    void openRecognize(const QString &host, const QString &address, const QString &name);

    FriendlyNames &m_names;
    RecognizedNamesModel *m_model;
};

} // namespace wv
