#include "app/SearchProgressPanel.h"

#include "app/ResultsModel.h"
#include "app/SearchControl.h"
#include "engine/SearchSession.h"
#include "model/CountText.h"
#include "model/ItemRecord.h"

QString ElapsedText(int64_t milliseconds)
{
    const int64_t seconds = std::max<int64_t>(milliseconds, 0) / 1000;
    const auto two = [](int64_t value) { return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0')); };
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg(two(seconds / 60 % 60), two(seconds % 60));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(two(seconds % 60));
}

// Exact text: the progress summary line, compared by the results filter and hosts
// search tests.
QString ProgressSummaryText(const TProgressSummary& summary)
{
    return QStringLiteral("%1 of %2 hosts done, %3, %4 searched, %5")
        .arg(summary.HostsDone)
        .arg(summary.HostsKnown)
        .arg(CountText(summary.Hits, QStringLiteral("file"), QStringLiteral("files")),
             SizeText(summary.BytesSearched), ElapsedText(summary.ElapsedMs));
}

QString ShownCountText(qsizetype shown, qsizetype total)
{
    return QStringLiteral("shown %1 of %2").arg(shown).arg(total);
}

TSearchProgressPanel::TSearchProgressPanel(TResultsModel& model, TSearchControl& search, QWidget* parent)
    : QLabel(parent), m_model(model), m_search(search)
{
    setObjectName(QStringLiteral("ProgressPanel"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_clock.setInterval(kClockIntervalMs);
    connect(&m_clock, &QTimer::timeout, this, &TSearchProgressPanel::refresh);
    connect(&m_search, &TSearchControl::sessionChanged, this, &TSearchProgressPanel::followSession);
    connect(&m_search, &TSearchControl::started, &m_clock, qOverload<>(&QTimer::start));
    connect(&m_search, &TSearchControl::ended, this, [this] {
        m_clock.stop();
        refresh();
    });
    connect(&m_model, &TResultsModel::countsChanged, this, &TSearchProgressPanel::refresh);
    followSession();
}

TSearchProgressPanel::~TSearchProgressPanel()
{
    // No notice may be queued to a panel that is gone.
    if (m_progress)
        m_progress->SetOnChange(this, {});
}

void TSearchProgressPanel::followSession()
{
    if (m_progress)
        m_progress->SetOnChange(this, {});
    m_progress = SessionProgress(m_search.session());
    if (m_progress)
        m_progress->SetOnChange(this, m_notice.Hook());
    refresh();
}

void TSearchProgressPanel::refresh()
{
    QStringList parts;
    if (m_progress)
        parts.append(ProgressSummaryText(m_progress->Summary()));
    if (m_model.isFiltered())
        parts.append(ShownCountText(m_model.rowCount(), m_model.items().size()));
    const QString text = parts.join(QStringLiteral("; "));
    if (text != this->text()) {
        setText(text);
        setToolTip(text);
    }
    setVisible(!text.isEmpty());
}
