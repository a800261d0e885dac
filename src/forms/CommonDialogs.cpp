#include "CommonDialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zarvo::CommonDialogs {

namespace {

// Answers given by tests; an outer empty optional means "no answer given: ask the user".
std::optional<std::optional<FontChoice>> nextFont;
std::optional<std::optional<QColor>> nextColor;
std::optional<std::optional<QString>> nextOpenFile;

template <typename T> bool takeAnswer(std::optional<std::optional<T>>& slot, std::optional<T>& out)
{
    if (!slot) return false;
    out = *slot;
    slot.reset();
    return true;
}

void paintSwatch(QPushButton* button, const QColor& color)
{
    QPixmap swatch(32, 16);
    swatch.fill(color);
    button->setIcon(QIcon(swatch));
}

// The font dialog edits the font and the colour of its text together; the platform's font
// dialog knows no colour, so it is embedded beside a colour button.
class FontColorDialog : public QDialog
{
public:
    FontColorDialog(QWidget* parent, const FontChoice& initial) : QDialog(parent), m_color(initial.color)
    {
        setWindowTitle(QStringLiteral("Font"));
        m_fonts = new QFontDialog(initial.font, this);
        m_fonts->setWindowFlags(Qt::Widget);
        m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        // Being a dialog itself, the embedded chooser would take Escape as its own Cancel and
        // hide itself, leaving an empty box, and would swallow Enter: both belong to this dialog.
        m_fonts->installEventFilter(this);

        auto* colorButton = new QPushButton(QStringLiteral("C&olor..."), this);
        paintSwatch(colorButton, m_color);
        connect(colorButton, &QPushButton::clicked, this, [this, colorButton] {
            if (auto c = chooseColor(this, m_color)) {
                m_color = *c;
                paintSwatch(colorButton, m_color);
            }
        });
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("Text color:"), this));
        row->addWidget(colorButton);
        row->addStretch();
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_fonts);
        layout->addLayout(row);
        layout->addWidget(buttons);
    }

    FontChoice choice() const { return {m_fonts->currentFont(), m_color}; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == m_fonts && e->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(e);
            if (key->matches(QKeySequence::Cancel)) {
                reject();
                return true;
            }
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                accept();
                return true;
            }
        }
        return QDialog::eventFilter(watched, e);
    }

private:
    QFontDialog* m_fonts;
    QColor m_color;
};

} // namespace

std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial)
{
    std::optional<FontChoice> answer;
    if (takeAnswer(nextFont, answer)) return answer;
    FontColorDialog dialog(parent, initial);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
}

std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial)
{
    std::optional<QColor> answer;
    if (takeAnswer(nextColor, answer)) return answer;
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid()) return std::nullopt;
    return c;
}

std::optional<QString> chooseOpenFile(QWidget* parent, const QString& filter, const QString& defaultSuffix)
{
    std::optional<QString> answer;
    if (takeAnswer(nextOpenFile, answer)) return answer;
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void setNextFont(std::optional<FontChoice> answer)
{
    nextFont = std::move(answer);
}

void setNextColor(std::optional<QColor> answer)
{
    nextColor = std::move(answer);
}

void setNextOpenFile(std::optional<QString> answer)
{
    nextOpenFile = std::move(answer);
}

} // namespace zarvo::CommonDialogs
