// Small widgets and helpers under the two windows: the typing box that hands every key
// over as one byte, the number box of the option panel, fixed list rows, and the fonts.
#pragma once

#include <QCoreApplication>
#include <QImage>

#include <QLineEdit>
#include <QSpinBox>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <functional>
#include <optional>
#include <string>

class QKeyEvent;

namespace kotopa {

// A one-line box that takes its text from typed keys alone: input methods are off, so a
// Japanese IME cannot swallow the romaji, and there is no pasting, dropping or context
// menu. Tab still moves the focus.
class KeyboardOnlyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit KeyboardOnlyEdit(QWidget* parent = nullptr);

protected:
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The box the player types into. Every typed character reaches onKeyPress as one byte
// (Esc 27, Enter 13, Backspace 8, letters as themselves, other text as its Shift_JIS
// bytes); the box never edits its own text: the window puts into it what it shows.
class TypingBox : public KeyboardOnlyEdit {
    Q_OBJECT
public:
    explicit TypingBox(QWidget* parent = nullptr);

    // The handler of a key; it may set the byte to 0 to swallow it (the box shows the
    // window's text either way).
    std::function<void(char&)> onKeyPress;

    // The bytes a key event stands for; empty for keys without a character.
    static std::string KeyBytes(const QKeyEvent& event);
    // In the kana input style: the token of the key's place on the kana keyboard (with
    // Shift or not) from the native scan code, whatever the layout makes of it; Esc, Enter
    // and Backspace as KeyBytes gives them; empty for a key that types no kana.
    static std::string KanaKeyBytes(const QKeyEvent& event);

    // Keys go to onKeyPress by their place on the kana keyboard (KanaKeyBytes).
    bool kanaPositions = false;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The reading box. With the romaji guide on, the reading takes the upper part of the box
// and a line of romaji under it shows the keys still to type, the keys typed for the
// current unit dimmed; the box keeps its size. With the guide off it is a plain read-only
// line box.
class ReadingBox : public QLineEdit {
    Q_OBJECT
public:
    // Pixel sizes of the reading and the guide while the guide is on.
    static constexpr int kReadingPixels = 16;
    static constexpr int kGuidePixels = 13;

    using QLineEdit::QLineEdit;

    // on: the guide's layout; typed and rest: the guide's two parts. Repaints only when
    // something changed.
    void SetGuide(bool on, const QString& typed, const QString& rest);
    bool GuideOn() const { return guideOn_; }
    const QString& GuideTyped() const { return guideTyped_; }
    const QString& GuideRest() const { return guideRest_; }
    // The fonts of the two lines, from the box's own family.
    QFont ReadingFont() const;
    QFont GuideFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool guideOn_ = false;
    QString guideTyped_;
    QString guideRest_;
    // The three lines laid out once and drawn again as they are until their text changes:
    // a key changes the guide, but the reading only once a unit is typed.
    QStaticText readingLine_;
    QStaticText typedLine_;
    QStaticText restLine_;
};

// A candidate edit of the key panel. Every typed character first reaches onKeyPress as
// one byte (Backspace 8, Enter 13 and the other control keys too; a character of two bytes
// as its first); the handler sets it to 0 to drop it, otherwise it is typed into the box,
// up to the box's "typingLimit" property of characters. Keys without a character (Delete,
// the arrows, Home, End) edit as usual. Nothing reaches the text past the handler.
class KouhoEdit : public KeyboardOnlyEdit {
    Q_OBJECT
public:
    using KeyboardOnlyEdit::KeyboardOnlyEdit;
    std::function<void(char&)> onKeyPress;
    // Keys by their place on the kana keyboard; the box shows the kana printed on the key.
    bool kanaPositions = false;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A report list whose Enter key goes to onEnter and no further, and whose double click
// counts with the left button only. Hidden, it does not lay out its rows: the tree view
// would otherwise keep an entry for every row of its model from the first resize of a
// column on, shown or not.
class ReportView : public QTreeView {
    Q_OBJECT
public:
    using QTreeView::QTreeView;
    std::function<void()> onEnter;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void updateGeometries() override;
    void showEvent(QShowEvent* event) override;

private:
    bool geometriesDue_ = false;
};

// A number box for 5 to 999 that, like the classic spin edit, lets its text be anything
// made of digits, signs and a decimal point (at most three characters) while it has the
// focus. onExit runs when the focus leaves, before a number outside the range is brought
// to the nearest bound; the window reports a text that is not a number there.
class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);
    using QSpinBox::lineEdit;  // the window follows every change of the text

    // The text read as a decimal integer with an optional sign, or nothing.
    std::optional<int> TextNumber() const;

    // Sets the value and makes the text show it, also when the value was already that
    // number but the text was something else.
    void SetValueShown(int value);

    std::function<void()> onExit;

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Rows of one fixed height in a list box, each text drawn whole: never elided, with a pixel of
// margin, and narrowed (at its full height) only when the face that renders it is wider than
// the box, so that "^^^^^^" and every candidate read whole whatever Gothic face is found.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    FixedRowDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    struct TextPlace {
        QRectF rect;        // where the text is drawn, in the row's coordinates
        qreal scale = 1.0;  // horizontal; 1 when the text fits as it is
    };
    // Where a text of font goes in a row of rect.
    static TextPlace PlaceText(const QRect& rect, const QFont& font, const QString& text);

private:
    int height_;
};

// "ＭＳ ゴシック" and "ＭＳ Ｐゴシック" are drawn with IPAGothic and IPAPGothic, their metric
// twins.
void InstallFontSubstitutes();

// Qt's own dialogs (buttons of the message boxes, the file dialog) in Japanese, like the
// rest of the program, whatever the system's language. Without the translation installed
// they stay in English.
void InstallJapaneseTranslation(QCoreApplication& app);

// The families to ask for to draw with family: the family itself where it is installed,
// otherwise its first installed substitute (both as they stand when no substitute is).
QStringList InstalledFamilies(const QString& family);

// Gives every widget under root (root included) its font: a widget that carries the property
// "fontPixelSize" from its .ui file gets its own family (the property "fontFamily", or the
// family of its font) at that many pixels, every other widget the font of its parent.
void ApplyPixelFonts(QWidget* root);

// Draws every group box under root as the classic ones: a thin frame with rounded corners
// and the title set into its top edge at the left, in the title's normal weight.
// Called again, it does the same for the boxes made since.
void UseClassicGroupBoxes(QWidget* root);

// The busy cursor for as long as the object lives, put back however the scope is left.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// What a .ui file cannot set directly and says in properties of its own: "rowHeight" on a
// list gives its rows that fixed height, "documentMargin" on a text box the margin of its
// document, "picture" on a button its picture (Picture, in widgets.cpp), for root and every
// widget under it.
void ApplyLayoutProperties(QWidget* root);

// A PNG picture of the resources. Read by its name alone, an image makes the toolkit load
// every image format plugin it has, to ask each whether it reads PNG.
QImage ReadPng(const QString& path);

// Sets a label's or box's text only when it differs, so that a frequent refresh costs
// nothing when nothing changed.
template <typename W>
void SetTextIfChanged(W* widget, const QString& text) {
    if (widget->text() != text) widget->setText(text);
}

}  // namespace kotopa
