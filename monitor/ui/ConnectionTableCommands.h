#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractItemModel;
class QFileDialog;
class QPrinter;
class QWidget;

namespace wv {

// The File menu's table commands: saving the connection table to a file in
// one of five formats, and printing it.
class ConnectionTableCommands : public QObject
{
    Q_OBJECT
public:
    // model is the table as the user sees it (sorted); parent owns this
    // object and the dialogs.
    ConnectionTableCommands(const QAbstractItemModel &model, QWidget *parent);
    ~ConnectionTableCommands() override;

    // Where failures go; by default a message box captioned "Error".
    void setErrorReporter(std::function<void(const QString &)> reporter);

    // Asks for the file and writes the table to it.
    void SaveConnectionsToFile();
    // Asks for the printer and prints the table.
    void PrintConnectionTable();

    // Prints a model's columns and rows: the title and the date at the top
    // of every page, then the column header and as many rows as fit.
    // Returns the number of pages, or 0 when the printer could not start.
    static int printTable(const QAbstractItemModel &model, QPrinter &printer,
                          const QDateTime &when = QDateTime::currentDateTime());

    QFileDialog *save1 = nullptr;

    // Stand-ins for the modal dialogs. chooseFile gives the file and the
    // filter index (1 to 5) and returns false when cancelled; choosePrinter
    // sets the printer up and returns false when cancelled.
    std::function<bool(QString *path, int *filterIndex)> chooseFile;
    std::function<bool(QPrinter &printer)> choosePrinter;

private:
    bool runSaveDialog(QString *path, int *filterIndex);
    void reportError(const QString &message);

    const QAbstractItemModel &m_model;
    QPointer<QWidget> m_parent;
    std::function<void(const QString &)> m_errorReporter;
};

} // namespace wv
