#include "monitor/portdb/ui/TfrmPortInfo.h"

#include "monitor/portdb/PortDatabase.h"
#include "monitor/portdb/PortHistory.h"
#include "settings/AtomicFile.h"
#include "settings/DebugTrace.h"
#include "settings/RegistryStore.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QUrl>
#include <QVBoxLayout>

namespace wv {

namespace {

const QString kEmptyTitle = QStringLiteral("Port Info");

// The window that ShowPortInfo(port, false) fills: the one opened last.
QPointer<TfrmPortInfo> s_openWindow;

QLabel *makeTitleLabel(QWidget *parent, const QColor &colour)
{
    auto *label = new QLabel(kEmptyTitle, parent);
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(35);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

// Holds the two title labels: the red one lies two pixels up and left of
// the black one, which shows through as its shadow.
class TitleArea : public QWidget
{
public:
    TitleArea(QLabel *&shadow, QLabel *&title, QWidget *parent) : QWidget(parent)
    {
        shadow = m_shadow = makeTitleLabel(this, Qt::black);
        title = m_title = makeTitleLabel(this, Qt::red);
        setMinimumHeight(m_title->sizeHint().height() + 2);
    }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        const int h = m_title->sizeHint().height();
        m_shadow->setGeometry(2, 2, width() - 2, h);
        m_title->setGeometry(0, 0, width() - 2, h);
    }

private:
    QLabel *m_shadow;
    QLabel *m_title;
};

} // namespace

TfrmPortInfo::TfrmPortInfo(QWidget *parent, RegistryStore *registry)
    : QDialog(parent, Qt::Tool), m_databasePath(PortDatabase::defaultPath()),
      m_openUrl([](const QString &url) { QDesktopServices::openUrl(QUrl(url)); })
{
    if (!registry) {
        m_ownRegistry = std::make_unique<RegistryStore>();
        registry = m_ownRegistry.get();
    }
    m_registry = registry;

    setWindowTitle(QStringLiteral("Port Information"));
    setObjectName(QStringLiteral("frmPortInfo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);

    auto *title = new TitleArea(m_lblShadow, m_lblTitle, this);

    m_memo = new QPlainTextEdit(this);
    m_memo->setReadOnly(true);

    m_portBox = new QComboBox(this);
    m_portBox->setEditable(true);
    m_portBox->setInsertPolicy(QComboBox::NoInsert);
    m_portBox->addItems(PortHistory(*m_registry).load());
    m_portBox->setCurrentIndex(-1);
    m_portBox->lineEdit()->installEventFilter(this);

    m_btnFind = new QPushButton(QStringLiteral("&Find Port"), this);
    m_btnSave = new QPushButton(QStringLiteral("&Save to file..."), this);
    m_btnSuggest = new QPushButton(QStringLiteral("Sug&gest..."), this);
    m_btnClose = new QPushButton(QStringLiteral("&Close"), this);
    // Enter in the port box acts as Find Port.
    for (QPushButton *b : {m_btnSave, m_btnSuggest, m_btnClose})
        b->setAutoDefault(false);
    m_btnFind->setDefault(true);

    auto *findRow = new QHBoxLayout;
    findRow->addWidget(m_portBox, 1);
    findRow->addWidget(m_btnFind);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_btnSave);
    buttonRow->addWidget(m_btnSuggest);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_memo, 1);
    layout->addLayout(findRow);
    layout->addLayout(buttonRow);
    // The database's texts are broken into lines of up to 72 characters;
    // open wide enough to show them unwrapped.
    const QFontMetrics fm(m_memo->font());
    const int textWidth = fm.horizontalAdvance(
        QStringLiteral("Remote logins, file copies and tunnels; scanned around the clock, so use"));
    resize(std::max(420, textWidth + 60), 380);

    connect(m_btnFind, &QPushButton::clicked, this, &TfrmPortInfo::btnFindClick);
    connect(m_btnSave, &QPushButton::clicked, this, &TfrmPortInfo::btnSaveClick);
    connect(m_btnSuggest, &QPushButton::clicked, this, &TfrmPortInfo::btnSuggestClick);
    connect(m_btnClose, &QPushButton::clicked, this, &TfrmPortInfo::btnCloseClick);

    s_openWindow = this;
}

TfrmPortInfo::~TfrmPortInfo() = default;

void TfrmPortInfo::showPort(qint32 port)
{
    TPortInfo info;
    LoadPort(m_databasePath, port, info);
    // The title shows the number asked for, also when it was not found.
    setTitle(QString::number(port));
    m_memo->clear();
    for (const QString &line : info.displayLines())
        m_memo->appendPlainText(line);
    m_memo->moveCursor(QTextCursor::Start);
}

QString TfrmPortInfo::titleText() const
{
    return m_lblTitle->text();
}

QStringList TfrmPortInfo::lines() const
{
    QStringList result;
    for (QTextBlock b = m_memo->document()->begin(); b.isValid(); b = b.next())
        result << b.text();
    if (result.size() == 1 && result.first().isEmpty())
        result.clear();
    return result;
}

void TfrmPortInfo::setTitle(const QString &text)
{
    m_lblShadow->setText(text);
    m_lblTitle->setText(text);
}

void TfrmPortInfo::focusPortBox()
{
    m_portBox->lineEdit()->selectAll();
    m_portBox->setFocus();
}

void TfrmPortInfo::reportError(const QString &message)
{
    QMessageBox::critical(this, QStringLiteral("Error"), message);
}

void TfrmPortInfo::btnFindClick()
{
    const QString text = m_portBox->currentText();
    if (!text.isEmpty()) {
        bool ok = false;
        const qint32 port = text.toInt(&ok);
        if (!ok) {
            // Pasted text gets here; the window keeps what it shows.
            reportError(QStringLiteral("'%1' is not a valid integer value.").arg(text));
        } else {
            const QStringList items = PortHistory(*m_registry).add(text);
            m_portBox->clear();
            m_portBox->addItems(items);
            m_portBox->setCurrentIndex(0);
            try {
                showPort(port);
            } catch (const EPortDatabaseOpenError &e) {
                reportError(e.message());
            }
        }
    }
    focusPortBox();
}

void TfrmPortInfo::btnSaveClick()
{
    QFileDialog dialog(this, QStringLiteral("Save port information to file"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilters({QStringLiteral("Text file (*.txt)"), QStringLiteral("Any file (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    QByteArray bytes;
    for (const QString &line : lines())
        bytes += line.toUtf8() + '\n';
    if (QString error; !writeFileAtomically(path, bytes, &error))
        reportError(QStringLiteral("Cannot write \"%1\": %2").arg(path, error));
}

void TfrmPortInfo::btnSuggestClick()
{
    if (titleText() == kEmptyTitle)
        return;
    m_openUrl(PortSuggestion::mailtoUrl(PortSuggestion::address(*m_registry), titleText()));
}

void TfrmPortInfo::btnCloseClick()
{
    close();
}

bool TfrmPortInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_portBox->lineEdit() && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Only digits type into the box. Keys that type no printable text
        // (Backspace, Delete, arrows, Enter, Escape) and shortcuts such as
        // paste keep their usual work.
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        const QString text = key->text();
        const bool asciiDigit =
            text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
        if (!shortcut && !text.isEmpty() && text.at(0).isPrint() && !asciiDigit)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowPortInfo(qint32 port, bool CreateWindow, QWidget *parent)
{
    DebugLog(QStringLiteral("ShowPortInfo;"));
    TfrmPortInfo *window = nullptr;
    if (CreateWindow) {
        window = new TfrmPortInfo(parent);
    } else {
        window = s_openWindow.data();
        if (!window)
            return;
    }
    try {
        window->showPort(port);
    } catch (...) {
        if (CreateWindow)
            delete window;
        throw;
    }
    if (CreateWindow)
        window->exec();
}

void ShowPortInfoForm(QWidget *parent)
{
    auto *window = new TfrmPortInfo(parent);
    window->exec();
}

} // namespace wv
