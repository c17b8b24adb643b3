#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace wv {

class RegistryStore;

// The "Port Information" window: a large two-colour title, the text of one
// port's record, a port box with history and the Find/Save/Suggest/Close
// buttons. Modal; deleted when closed.
class TfrmPortInfo : public QDialog
{
    Q_OBJECT
public:
    // registry holds the port box history and the suggestion address; when
    // null the window uses the user's registry store.
    explicit TfrmPortInfo(QWidget *parent = nullptr, RegistryStore *registry = nullptr);
    ~TfrmPortInfo() override;

    // The database the window reads (the data folder's portdb.qpd by default).
    void setDatabasePath(const QString &path) { m_databasePath = path; }
    QString databasePath() const { return m_databasePath; }
    // Replaces the way the Suggest button opens its mailto: link (tests).
    void setUrlOpener(std::function<void(const QString &)> opener)
    {
        m_openUrl = std::move(opener);
    }

    // Looks the port up and shows the result; throws EPortDatabaseOpenError
    // when the database cannot be opened, leaving the window as it was.
    void showPort(qint32 port);

    QString titleText() const;
    QStringList lines() const;

    QComboBox *portBox() const { return m_portBox; }
    QPushButton *findButton() const { return m_btnFind; }
    QPushButton *saveButton() const { return m_btnSave; }
    QPushButton *suggestButton() const { return m_btnSuggest; }
    QPushButton *closeButton() const { return m_btnClose; }
    QLabel *titleLabel() const { return m_lblTitle; }
    QLabel *titleShadowLabel() const { return m_lblShadow; }
    QPlainTextEdit *textArea() const { return m_memo; }

    void btnFindClick();
    void btnSaveClick();
    void btnSuggestClick();
    void btnCloseClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setTitle(const QString &text);
    void focusPortBox();
    void reportError(const QString &message);

    std::unique_ptr<RegistryStore> m_ownRegistry;
    RegistryStore *m_registry = nullptr;
    QString m_databasePath;
    std::function<void(const QString &)> m_openUrl;
    QLabel *m_lblShadow = nullptr;
    QLabel *m_lblTitle = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    QComboBox *m_portBox = nullptr;
    QPushButton *m_btnFind = nullptr;
    QPushButton *m_btnSave = nullptr;
    QPushButton *m_btnSuggest = nullptr;
    QPushButton *m_btnClose = nullptr;
};

// Opens a new port information window for port and shows it modally; with
// CreateWindow false fills the window that is already open instead. Throws
// EPortDatabaseOpenError when the database cannot be opened (a window made
// for the call is then deleted without being shown).
void ShowPortInfo(qint32 port, bool CreateWindow, QWidget *parent = nullptr);

// The toolbar's window: empty, titled "Port Info", modal, no look-up.
void ShowPortInfoForm(QWidget *parent = nullptr);

} // namespace wv
