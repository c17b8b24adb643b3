#include "stats/ui/TfrmSummary.h"

#include "monitor/ListExporter.h"
#include "stats/SummaryLog.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace wv {

namespace {

// "Flat scroll bars": thin bars without arrow buttons.
const QString kFlatScrollBars = QStringLiteral(
    "QScrollBar { border: none; background: palette(base); }"
    "QScrollBar:vertical { width: 10px; } QScrollBar:horizontal { height: 10px; }"
    "QScrollBar::handle { background: palette(mid); border-radius: 0; }"
    "QScrollBar::handle:vertical { min-height: 20px; }"
    "QScrollBar::handle:horizontal { min-width: 20px; }"
    "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; }"
    "QScrollBar::add-page, QScrollBar::sub-page { background: none; }");

// "HotTrack": the line under the mouse pointer is highlighted.
const QString kHotTrack =
    QStringLiteral("QTreeView::item:hover { background: palette(midlight); }");

} // namespace

TfrmSummary::TfrmSummary(SummaryLog &log, SettingsStore &settings, QWidget *parent)
    : QDialog(parent), m_log(log), m_settings(settings)
{
    setWindowTitle(QStringLiteral("Session Summary"));
    resize(470, 300);

    toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Captions turn blue under the mouse.
    toolBar->setStyleSheet(QStringLiteral("QToolButton:hover { color: #0000ff; }"));
    auto button = [this](const QString &caption, const QString &hint) {
        auto *b = new QToolButton(this);
        b->setText(caption);
        b->setToolTip(hint);
        b->setAutoRaise(true);
        toolBar->addWidget(b);
        return b;
    };
    tb1 = button(QStringLiteral("Keep Summary"), QStringLiteral("Push down to log summary"));
    tb1->setCheckable(true);
    tb2 = button(QStringLiteral("Save to file"), QStringLiteral("Save session summary"));
    tb3 = button(QStringLiteral("Hide / Close"), QStringLiteral("Hides summary window"));
    connect(tb1, &QToolButton::clicked, this, &TfrmSummary::tb1Click);
    connect(tb2, &QToolButton::clicked, this, &TfrmSummary::tb2Click);
    connect(tb3, &QToolButton::clicked, this, &TfrmSummary::tb3Click);

    lv = new QTreeView(this);
    lv->setModel(&m_log);
    lv->setRootIsDecorated(false);
    lv->setUniformRowHeights(true);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->header()->resizeSection(SummaryLog::TimeColumn, 90);
    lv->header()->resizeSection(SummaryLog::EventColumn, 363);
    lv->header()->setStretchLastSection(true);
    // New lines stay in view. Scrolling lays the view out at once, so a
    // hidden window leaves it for showEvent.
    connect(&m_log, &QAbstractItemModel::rowsInserted, this, [this] {
        if (isVisible())
            lv->scrollToBottom();
    });

    save1 = new QFileDialog(this, QStringLiteral("Save summary to file"));
    save1->setAcceptMode(QFileDialog::AcceptSave);
    save1->setNameFilters(ListExporter::nameFilters());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->addWidget(toolBar);
    layout->addWidget(lv, 1);

    applyExtras(settings.values());
}

void TfrmSummary::AddSummaryEvent(const QString &text)
{
    m_log.AddSummaryEvent(text);
}

void TfrmSummary::setExiting(bool exiting)
{
    m_exiting = exiting;
    if (exiting && isVisible())
        tb1->setEnabled(false);
}

void TfrmSummary::applyExtras(const Settings &settings)
{
    tb1->setChecked(!settings.xNoSummary);
    m_log.setCollecting(!settings.xNoSummary);
    const QString bars = settings.xFlatScroll ? kFlatScrollBars : QString();
    lv->verticalScrollBar()->setStyleSheet(bars);
    lv->horizontalScrollBar()->setStyleSheet(bars);
    lv->setStyleSheet(settings.xHotTrack ? kHotTrack : QString());
    lv->setMouseTracking(settings.xHotTrack);
    lv->setAttribute(Qt::WA_Hover, settings.xHotTrack);
}

void TfrmSummary::tb1Click()
{
    m_settings.values().xNoSummary = !tb1->isChecked();
    m_log.setCollecting(tb1->isChecked());
    m_settings.WriteRegistry();
}

bool TfrmSummary::saveToFile(const QString &path, int filterIndex, QString *error) const
{
    const auto format = ListExporter::formatForFilterIndex(filterIndex);
    if (!format) {
        if (error)
            *error = QStringLiteral("unknown file type");
        return false;
    }
    return ListExporter::save(
        path, *format, ListExporter::fromModel(m_log, QStringLiteral("Session Summary")), error);
}

void TfrmSummary::tb2Click()
{
    if (save1->exec() == QDialog::Accepted && !save1->selectedFiles().isEmpty()) {
        const auto format = ListExporter::formatForFilter(save1->selectedNameFilter())
                                .value_or(ListExporter::Format::Text);
        QString path = save1->selectedFiles().first();
        if (QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + ListExporter::extension(format);
        QString error;
        if (!saveToFile(path, int(format), &error))
            QMessageBox::critical(this, QStringLiteral("Error"), error);
    }
    // The next save starts without a file name.
    save1->selectFile(QString());
}

void TfrmSummary::tb3Click()
{
    if (m_exiting)
        done(QDialog::Accepted);
    else
        hide();
}

void TfrmSummary::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    lv->scrollToBottom();
    if (m_exiting)
        tb1->setEnabled(false);
}

void TfrmSummary::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_exiting)
        tb1->setEnabled(false);
}

} // namespace wv
