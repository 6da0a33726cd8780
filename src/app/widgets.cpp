#include "widgets.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QImageReader>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <QTranslator>

#include "kanakeys.h"
#include "sjistext.h"

namespace kotopa {

KeyboardOnlyEdit::KeyboardOnlyEdit(QWidget* parent) : QLineEdit(parent) {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setDragEnabled(false);
}

void KeyboardOnlyEdit::inputMethodEvent(QInputMethodEvent* event) {
    event->ignore();
}

QVariant KeyboardOnlyEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled) return false;
    return QLineEdit::inputMethodQuery(query);
}

void KeyboardOnlyEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {  // the X11 selection paste
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

TypingBox::TypingBox(QWidget* parent) : KeyboardOnlyEdit(parent) {
    setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
}

void ReadingBox::SetGuide(bool on, const QString& typed, const QString& rest) {
    if (on == guideOn_ && typed == guideTyped_ && rest == guideRest_) return;
    guideOn_ = on;
    guideTyped_ = typed;
    guideRest_ = rest;
    update();
}

QFont ReadingBox::ReadingFont() const {
    QFont f = font();
    f.setPixelSize(kReadingPixels);
    return f;
}

QFont ReadingBox::GuideFont() const {
    QFont f = font();
    f.setPixelSize(kGuidePixels);
    return f;
}

// The frame as the style draws a line box; inside it the two lines, each cut at the right
// edge as a long reading is, both left-aligned and together centred in the height.
void ReadingBox::paintEvent(QPaintEvent* event) {
    if (!guideOn_) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter p(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &p, this);
    const QRect r = style()
                        ->subElementRect(QStyle::SE_LineEditContents, &panel, this)
                        .marginsRemoved(textMargins())
                        .adjusted(2, 0, -2, 0);
    p.setClipRect(r);
    const QFont readingFont = ReadingFont(), guideFont = GuideFont();
    const QFontMetrics rm(readingFont), gm(guideFont);
    // Nothing past the box's right edge is laid out: no glyph of the guide is narrower than
    // a few pixels, so at most a third of the width in characters can show.
    const QString rest = guideRest_.left(std::max(1, r.width() / 3));
    const auto keep = [](QStaticText& line, const QString& s) {
        if (line.text() == s) return;
        line.setTextFormat(Qt::PlainText);
        line.setText(s);
    };
    keep(readingLine_, text());
    keep(typedLine_, guideTyped_);
    keep(restLine_, rest);
    const int top = r.top() + std::max(0, (r.height() - rm.height() - gm.height()) / 2);
    const QColor ink = palette().color(QPalette::Text);
    p.setPen(ink);
    p.setFont(readingFont);
    p.drawStaticText(QPoint(r.left(), top), readingLine_);
    p.setFont(guideFont);
    const int guideTop = top + rm.height();
    QColor dim = ink;
    dim.setAlphaF(0.4f);
    p.setPen(dim);
    p.drawStaticText(QPoint(r.left(), guideTop), typedLine_);
    p.setPen(ink);
    p.drawStaticText(QPoint(r.left() + gm.horizontalAdvance(guideTyped_), guideTop), restLine_);
}

std::string TypingBox::KeyBytes(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Escape:
            return "\x1b";
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return "\r";
        case Qt::Key_Backspace:
            return "\b";
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return {};
        default:
            break;
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

namespace {

// The PC keyboard's scan code of a key from the native one: Windows gives the scan code
// itself (with bit 8 for the extended keys, none of which types kana); X11 gives the Linux
// input event code plus 8. Never the character, which the layout decides.
uint32_t PcScanCode(quint32 native) {
#ifdef Q_OS_WIN
    return native;
#else
    return native >= 8 ? ScanCodeOfEvdev(native - 8) : 0;
#endif
}

}  // namespace

std::string TypingBox::KanaKeyBytes(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Backspace:
            return KeyBytes(event);
        default:
            break;
    }
    const char token = KanaKeyToken(PcScanCode(event.nativeScanCode()),
                                    event.modifiers().testFlag(Qt::ShiftModifier));
    return token ? std::string(1, token) : std::string();
}

void TypingBox::keyPressEvent(QKeyEvent* event) {
    event->accept();
    const std::string bytes = kanaPositions ? KanaKeyBytes(*event) : KeyBytes(*event);
    for (char b : bytes) {
        char key = b;
        if (onKeyPress) onKeyPress(key);
    }
}

void KouhoEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {  // Shift+Insert has no character of its own
        event->accept();
        return;
    }
    std::string bytes = TypingBox::KeyBytes(*event);
    // In the kana style a key with a character is the key of its place; Backspace and the
    // other control keys stay what they are.
    if (kanaPositions && !bytes.empty() && static_cast<unsigned char>(bytes[0]) >= 0x20) {
        bytes = TypingBox::KanaKeyBytes(*event);
        if (bytes.empty()) {
            event->accept();
            return;
        }
    }
    if (bytes.empty()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    char key = bytes[0];
    if (onKeyPress) onKeyPress(key);
    if (key == 0) return;
    const int limit =
        property("typingLimit").isValid() ? property("typingLimit").toInt() : maxLength();
    if (text().size() - selectedText().size() >= limit) return;
    insert(kanaPositions ? FromSjis(KanaKeyTops(std::string(1, key)))
                         : QString(QChar::fromLatin1(key)));
}

void ReportView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onEnter) {
        event->accept();
        onEnter();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ReportView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Only the left button's double click opens a row.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void ReportView::updateGeometries() {
    if (!isVisible()) {
        geometriesDue_ = true;
        return;
    }
    geometriesDue_ = false;
    QTreeView::updateGeometries();
}

void ReportView::showEvent(QShowEvent* event) {
    QTreeView::showEvent(event);
    if (geometriesDue_) updateGeometries();
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
    const QChar point =
        locale().decimalPoint().isEmpty() ? QChar(u'.') : locale().decimalPoint().front();
    for (const QChar c : text) {
        if (!c.isDigit() && c != u'+' && c != u'-' && c != point && c != u'.')
            return QValidator::Invalid;
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

QSize FixedRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(height_);
    return size;
}

FixedRowDelegate::TextPlace FixedRowDelegate::PlaceText(const QRect& rect, const QFont& font,
                                                        const QString& text) {
    constexpr qreal kMargin = 1;
    const qreal room = std::max<qreal>(rect.width() - 2 * kMargin, 1);
    const qreal width = QFontMetricsF(font).horizontalAdvance(text);
    TextPlace place;
    place.scale = width > room ? room / width : 1.0;
    place.rect = QRectF(rect.left() + kMargin, rect.top(), width * place.scale, rect.height());
    return place;
}

void FixedRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();  // the style draws the row's background, the text is drawn below
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (text.isEmpty()) return;
    const TextPlace place = PlaceText(opt.rect, opt.font, text);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(QPalette::Text));
    painter->translate(place.rect.left(), 0);
    painter->scale(place.scale, 1.0);
    painter->drawText(
        QRectF(0, place.rect.top(), place.rect.width() / place.scale, place.rect.height()),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();
}

QImage ReadPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

namespace {

// A button's picture of the resources, ":/pictures/<name>.png", and its disabled look,
// "<name>_disabled.png", each read when first drawn and then kept (16 by 16 pixels).
class Picture final : public QIconEngine {
public:
    explicit Picture(QString name) : name_(std::move(name)) {}
    QIconEngine* clone() const override { return new Picture(*this); }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const QPixmap& picture = Look(mode);
        if (picture.isNull() || picture.size() == size) return picture;
        return picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const QSize own = Look(mode).size();
        return own.width() <= size.width() && own.height() <= size.height() ? own : size;
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State) override {
        return {Look(mode).size()};
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

private:
    const QPixmap& Look(QIcon::Mode mode) {
        const bool disabled = mode == QIcon::Disabled;
        QPixmap& look = disabled ? disabled_ : normal_;
        if (look.isNull()) {
            look = QPixmap::fromImage(ReadPng(
                QStringLiteral(":/pictures/%1%2.png").arg(name_, disabled ? "_disabled" : "")));
        }
        return look.isNull() && disabled ? Look(QIcon::Normal) : look;
    }

    QString name_;
    QPixmap normal_, disabled_;
};

}  // namespace

void ApplyLayoutProperties(QWidget* root) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (const QVariant name = w->property("picture"); name.isValid()) {
            if (auto* button = qobject_cast<QAbstractButton*>(w))
                button->setIcon(QIcon(new Picture(name.toString())));
        }
        if (const QVariant h = w->property("rowHeight"); h.isValid()) {
            if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
                view->setItemDelegate(new FixedRowDelegate(h.toInt(), view));
            }
        }
        if (const QVariant m = w->property("documentMargin"); m.isValid()) {
            if (auto* edit = qobject_cast<QPlainTextEdit*>(w))
                edit->document()->setDocumentMargin(m.toInt());
        }
    }
}

namespace {

class ClassicGroupBoxStyle final : public QProxyStyle {
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !box)
            return QProxyStyle::subControlRect(control, option, sub, widget);
        const int title = option->fontMetrics.height();
        switch (sub) {
            case SC_GroupBoxFrame:
                return option->rect.adjusted(0, title / 2, 0, 0);
            case SC_GroupBoxLabel:
                return QRect(option->rect.left() + kTitleLeft, option->rect.top(),
                             option->fontMetrics.horizontalAdvance(box->text) + 2 * kTitlePadding,
                             title);
            case SC_GroupBoxContents:
                return option->rect.adjusted(1, title, -1, -1);
            default:
                return QProxyStyle::subControlRect(control, option, sub, widget);
        }
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
        if (control != CC_GroupBox || !box) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        const QRect frame = subControlRect(control, option, SC_GroupBoxFrame, widget);
        const QRect label = subControlRect(control, option, SC_GroupBoxLabel, widget);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(option->palette.color(QPalette::Mid), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter->restore();
        painter->fillRect(label, option->palette.window());
        proxy()->drawItemText(painter, label.adjusted(kTitlePadding, 0, 0, 0),
                              Qt::AlignLeft | Qt::AlignVCenter, option->palette,
                              option->state & State_Enabled, box->text, QPalette::WindowText);
    }

private:
    static constexpr int kTitleLeft = 6;
    static constexpr int kTitlePadding = 2;
};

}  // namespace

void UseClassicGroupBoxes(QWidget* root) {
    // Owned by root, which outlives its group boxes; set on the boxes alone, so that their
    // children keep the application's style. Boxes made later get root's style when this
    // is called again.
    const QString name = QStringLiteral("ClassicGroupBoxStyle");
    QStyle* style = root->findChild<QProxyStyle*>(name, Qt::FindDirectChildrenOnly);
    if (!style) {
        style = new ClassicGroupBoxStyle;
        style->setObjectName(name);
        style->setParent(root);
    }
    for (QGroupBox* box : root->findChildren<QGroupBox*>()) {
        if (box->style() != style) box->setStyle(style);
    }
}

BusyCursor::BusyCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    QGuiApplication::restoreOverrideCursor();
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

QStringList InstalledFamilies(const QString& family) {
    // Asked for by a name it does not know, the toolkit first searches the fonts of every
    // script for that name before it tries the substitutes; the installed face is asked for
    // at once instead. Two names at most, so the answers are kept.
    static QHash<QString, QStringList> known;
    if (const auto it = known.constFind(family); it != known.constEnd()) return *it;
    QStringList families{family};
    if (!QFontDatabase::hasFamily(family)) {
        for (const QString& substitute : QFont::substitutes(family)) {
            if (QFontDatabase::hasFamily(substitute)) {
                families = QStringList{substitute};
                break;
            }
        }
    }
    known.insert(family, families);
    return families;
}

namespace {

// Gives w its font (a family of its own from the .ui, or the one it inherits, at its own
// pixel size or the inherited one) and passes it down to the children.
void ApplyFontTree(QWidget* w, const QFont& inherited) {
    QFont font = inherited;
    const QVariant px = w->property("fontPixelSize");
    if (px.isValid()) {
        const QVariant family = w->property("fontFamily");
        font = QFont();
        font.setFamilies(family.isValid() ? InstalledFamilies(family.toString())
                                          : w->font().families());
        font.setPixelSize(px.toInt());
    }
    // A widget without a face of its own takes its parent's font whole, unless its class
    // has a font of its own in the desktop's theme; only those are given it here, as every
    // change of a widget's font costs it a new layout of its text.
    if (px.isValid() || w->isWindow() || !QApplication::font(w).isCopyOf(QApplication::font()))
        w->setFont(font);
    for (QObject* child : w->children()) {
        if (auto* cw = qobject_cast<QWidget*>(child); cw && !cw->isWindow())
            ApplyFontTree(cw, font);
    }
}

}  // namespace

void ApplyPixelFonts(QWidget* root) {
    // Every widget gets its complete font, so nothing depends on how the toolkit propagates
    // partly set fonts from parent to child.
    ApplyFontTree(root, root->font());
}

}  // namespace kotopa
