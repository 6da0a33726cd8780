#include "widgets.h"

#include <QFocusEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMouseEvent>
#include <QTranslator>

#include "sjistext.h"

namespace kotopa {

TypingBox::TypingBox(QWidget* parent) : QLineEdit(parent) {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setDragEnabled(false);
}

std::string TypingBox::KeyBytes(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Escape: return "\x1b";
        case Qt::Key_Return:
        case Qt::Key_Enter: return "\r";
        case Qt::Key_Backspace: return "\b";
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete: return {};
        default: break;
    }
    const QString text = event.text();
    if (text.isEmpty()) return {};
    std::string bytes;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            const SjisEncoding e = EncodeSjis(text);
            return e.ok() ? e.bytes : std::string();
        }
        if (c.unicode() != 0x7F) bytes += static_cast<char>(c.unicode());
    }
    return bytes;
}

void TypingBox::keyPressEvent(QKeyEvent* event) {
    event->accept();
    const std::string bytes = KeyBytes(*event);
    for (char b : bytes) {
        char key = b;
        if (onKeyPress) onKeyPress(key);
    }
}

void TypingBox::inputMethodEvent(QInputMethodEvent* event) { event->ignore(); }

QVariant TypingBox::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled) return false;
    return QLineEdit::inputMethodQuery(query);
}

void TypingBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {  // the X11 selection paste
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent) {
    setRange(5, 999);
    setValue(60);
    setKeyboardTracking(true);
}

std::optional<int> SpinEdit::TextNumber() const {
    const QString text = lineEdit()->text();
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || text.contains(QChar(u' '))) return std::nullopt;
    return v;
}

void SpinEdit::SetValueShown(int value) {
    setValue(value);
    const QString shown = textFromValue(this->value());
    if (lineEdit()->text() != shown) lineEdit()->setText(shown);
}

QValidator::State SpinEdit::validate(QString& text, int&) const {
    if (text.size() > 3) return QValidator::Invalid;
    const QChar point = locale().decimalPoint().isEmpty() ? QChar(u'.') : locale().decimalPoint().front();
    for (const QChar c : text) {
        if (!c.isDigit() && c != u'+' && c != u'-' && c != point && c != u'.') return QValidator::Invalid;
        if (c.unicode() >= 0x80) return QValidator::Invalid;  // only the ASCII digits
    }
    return QValidator::Acceptable;
}

int SpinEdit::valueFromText(const QString& text) const {
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    return ok ? v : minimum();
}

void SpinEdit::focusOutEvent(QFocusEvent* event) {
    // A switch to another application or an opening menu is not leaving the box.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason &&
        onExit) {
        onExit();
    }
    QSpinBox::focusOutEvent(event);
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();  // Enter does nothing here
        return;
    }
    QSpinBox::keyPressEvent(event);
}

QSize FixedRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(height_);
    return size;
}

void InstallJapaneseTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    // Qt's own translations, or, for a program built with Qt inside it (Windows), the copy in
    // translations/ beside the executable.
    for (const QString& folder :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
          QCoreApplication::applicationDirPath() + QStringLiteral("/translations")}) {
        if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                             QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    delete translator;
}

void InstallFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

namespace {

// Gives w its font (a family of its own from the .ui, or the one it inherits, at its own
// pixel size or the inherited one) and passes it down to the children.
void ApplyFontTree(QWidget* w, const QFont& inherited) {
    QFont font = inherited;
    const QVariant px = w->property("fontPixelSize");
    if (px.isValid()) {
        font = QFont();
        font.setFamilies(w->font().families());
        font.setPixelSize(px.toInt());
    }
    w->setFont(font);
    for (QObject* child : w->children()) {
        if (auto* cw = qobject_cast<QWidget*>(child); cw && !cw->isWindow()) ApplyFontTree(cw, font);
    }
}

}  // namespace

void ApplyPixelFonts(QWidget* root) {
    // Every widget gets its complete font, so nothing depends on how the toolkit propagates
    // partly set fonts from parent to child.
    ApplyFontTree(root, root->font());
}

}  // namespace kotopa
