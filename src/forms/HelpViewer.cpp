#include "HelpViewer.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

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
