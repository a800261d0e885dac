#include "HelpViewer.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace zarvo::HelpViewer {

namespace {

const char* const kObjectName = "zarvoHelpWindow";

struct ContextPage
{
    int context;
    const char* page;
};

constexpr ContextPage kPages[] = {
    {11, "wizard.html"},     {12, "events.html"},  {14, "connection.html"},
    {17, "parameters.html"}, {40, "sticker.html"},
};

// WCAG's contrast ratio of two colours (1 to 21).
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The pages' colours, from the palette: headings in the palette's link colour where it stands
// out from the page enough for large type, in its text colour otherwise; the navigation lines
// dimmed as the palette dims hints.
QString pageStyle(const QPalette& pal)
{
    const QColor page = pal.color(QPalette::Base);
    QColor heading = pal.color(QPalette::Link);
    if (contrast(heading, page) < 3.0) heading = pal.color(QPalette::Text);
    QColor dim = pal.color(QPalette::PlaceholderText);
    if (contrast(dim, page) < 3.0) dim = pal.color(QPalette::Text);
    return QStringLiteral("h1, h2 { color: %1; } .nav { color: %2; }").arg(heading.name(), dim.name());
}

QUrl pageUrl(const char* page)
{
    return QUrl(QStringLiteral("qrc:/help/") + QLatin1String(page));
}

// The window keeps no pointer to itself anywhere: it is found again among the application's
// windows by its name.
class HelpWindow : public QWidget
{
public:
    HelpWindow()
    {
        setObjectName(QLatin1String(kObjectName));
        setWindowTitle(QStringLiteral("Zarvo! Help"));
        setAttribute(Qt::WA_QuitOnClose, false);
        resize(560, 480);

        auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
        auto* back = new QPushButton(QStringLiteral("&Back"), this);
        auto* forward = new QPushButton(QStringLiteral("&Forward"), this);
        m_browser = new QTextBrowser(this);
        m_browser->setObjectName(QStringLiteral("helpBrowser"));
        // Only the program's own pages are shown; nothing is fetched from elsewhere.
        m_browser->setOpenExternalLinks(false);
        m_browser->document()->setDefaultStyleSheet(pageStyle(m_browser->palette()));
        back->setEnabled(false);
        forward->setEnabled(false);
        connect(contents, &QPushButton::clicked, m_browser, [this] { m_browser->setSource(contentsUrl()); });
        connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
        connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
        connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
        connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
        connect(m_browser, &QTextBrowser::sourceChanged, this,
                [this] { setWindowTitle(QStringLiteral("Zarvo! Help - ") + m_browser->documentTitle()); });

        auto* buttons = new QHBoxLayout;
        buttons->addWidget(contents);
        buttons->addWidget(back);
        buttons->addWidget(forward);
        buttons->addStretch();
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(buttons);
        layout->addWidget(m_browser);

        // The keys of a viewer: Escape and Ctrl+W put it away (it is kept for the next help),
        // F1 is help about the help, its contents.
        for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
            connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);
        connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, m_browser,
                [this] { m_browser->setSource(contentsUrl()); });

        // Without an owner nothing else would ever delete it.
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { delete this; });
    }

    void open(const QUrl& url, QWidget* owner)
    {
        attachTo(owner);
        m_browser->setSource(url);
        show();
        raise();
        activateWindow();
    }

protected:
    void changeEvent(QEvent* e) override
    {
        QWidget::changeEvent(e);
        // A desktop switched between light and dark while the help is open: the page is laid
        // out again in the new colours.
        if (e->type() == QEvent::PaletteChange) {
            m_browser->document()->setDefaultStyleSheet(pageStyle(m_browser->palette()));
            m_browser->reload();
        }
    }

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == parentWidget() && e->type() == QEvent::Hide) detach();
        return QWidget::eventFilter(watched, e);
    }

private:
    // A modal window blocks every window that is not its own, so help asked for from a modal
    // dialog must belong to it to be usable.
    void attachTo(QWidget* owner)
    {
        if (!owner || owner == parentWidget()) return;
        if (parentWidget()) parentWidget()->removeEventFilter(this);
        reparent(owner);
        owner->installEventFilter(this);
    }

    // The owner is going away: the help stays open on its own.
    void detach()
    {
        parentWidget()->removeEventFilter(this);
        reparent(nullptr);
    }

    void reparent(QWidget* owner)
    {
        const bool wasVisible = isVisible();
        const QRect where = geometry();
        setParent(owner, windowFlags() | Qt::Window);
        if (wasVisible) {
            setGeometry(where);
            show();
        }
    }

    QTextBrowser* m_browser = nullptr;
};

HelpWindow* findWindow()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->objectName() == QLatin1String(kObjectName)) return static_cast<HelpWindow*>(w);
    }
    return nullptr;
}

void open(const QUrl& url, QWidget* parent)
{
    HelpWindow* w = findWindow();
    if (!w) w = new HelpWindow;
    w->open(url, parent ? parent->window() : nullptr);
}

} // namespace

QUrl contentsUrl()
{
    return pageUrl("index.html");
}

QUrl contextUrl(int context)
{
    for (const ContextPage& p : kPages) {
        if (p.context == context) return pageUrl(p.page);
    }
    return contentsUrl();
}

QWidget* helpWindow()
{
    return findWindow();
}

void showContents(QWidget* parent)
{
    open(contentsUrl(), parent);
}

void showContext(int context, QWidget* parent)
{
    open(contextUrl(context), parent);
}

} // namespace zarvo::HelpViewer
