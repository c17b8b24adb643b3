#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace wv {

class FriendlyNames;

// "Recognize": gives the connections whose host name contains one text, or
// whose address contains another, a name of the user's choice.
class TfrmRecognize : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmRecognize(FriendlyNames &names, QWidget *parent = nullptr);

    // Fills the three boxes (all empty for a new entry).
    void setTexts(const QString &hostMask, const QString &addressMask, const QString &name);

    QLineEdit *edHost = nullptr;
    QLineEdit *edIP = nullptr;
    QLineEdit *edName = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    void btnOKClick();

private:
    FriendlyNames &m_names;
};

} // namespace wv
