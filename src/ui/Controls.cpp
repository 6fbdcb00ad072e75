#include "ui/Controls.h"

#include "state/TermSlots.h"
#include "ui/AccessibleNames.h"
#include "ui/Fonts.h"
#include "ui/Label.h"
#include "ui/PictureButton.h"
#include "ui/Pictures.h"
#include "ui/Surface.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <iterator>
#include <map>
#include <string_view>
#include <type_traits>

namespace {

namespace F = ControlFlag;

QString utf8(const char *text) { return QString::fromUtf8(text); }

QColor colourOf(const Colour &colour, QPalette::ColorRole kindDefault)
{
    const QPalette palette = QApplication::palette();
    switch (colour.source) {
    case Colour::Rgb: return QColor::fromRgb(colour.rgb);
    case Colour::ButtonFace: return palette.color(QPalette::Button);
    case Colour::ButtonText: return palette.color(QPalette::ButtonText);
    case Colour::WindowBackground: return palette.color(QPalette::Base);
    case Colour::WindowText: return palette.color(QPalette::Text);
    case Colour::KindDefault: break;
    }
    return palette.color(kindDefault);
}

QRect geometryOf(const ControlSpec &design)
{
    return {toPixels(design.left), toPixels(design.top), toPixels(design.width), toPixels(design.height)};
}

void applyCommon(QWidget *widget, const ControlSpec &design)
{
    widget->setObjectName(QString::fromLatin1(design.name));
    widget->setFont(fontFor(design.font));
    widget->setGeometry(geometryOf(design));
    if (design.toolTip)
        widget->setToolTip(utf8(design.toolTip));
    if (design.flags & F::Disabled)
        widget->setEnabled(false);
    if (design.flags & F::IconPointer)
        widget->setCursor(pictureCursor(Picture::IconPointer));
    if (design.tabIndex < 0)
        widget->setFocusPolicy(Qt::NoFocus);
}

// Keeps object in the member of Controls its description names, if any.
template <typename... Objects> void keep(Controls &c, const KeptIn<Objects...> &keptIn, QObject *object)
{
    std::visit(
        [&c, object](auto member) {
            if constexpr (!std::is_same_v<decltype(member), std::monostate>) {
                c.*member = qobject_cast<std::remove_pointer_t<std::remove_reference_t<decltype(c.*member)>> *>(object);
                Q_ASSERT_X(c.*member, "buildControls", qPrintable(object->objectName()));
            }
        },
        keptIn);
}

// The row's labels are kept by slot.
void keepTermLabel(Controls &c, const ControlSpec &design, QWidget *widget)
{
    for (std::size_t slot = 0; slot < kTermSlots.size(); ++slot) {
        if (std::string_view(design.name) == kTermSlots[slot].coefficientLabel)
            c.coefficients[slot] = static_cast<Label *>(widget);
        if (std::string_view(design.name) == kTermSlots[slot].letterLabel)
            c.letters[slot] = static_cast<Label *>(widget);
    }
}

QWidget *makeLabel(const ControlSpec &design, QWidget *parent)
{
    auto *label = new Label((design.flags & F::AutoSize) != 0, parent);
    applyCommon(label, design);
    label->setForeColour(colourOf(design.fore, QPalette::ButtonText));
    if (design.flags & F::Border) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
    }
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (design.flags & F::AlignRight)
        horizontal = Qt::AlignRight;
    else if (design.flags & F::AlignCentre)
        horizontal = Qt::AlignHCenter;
    label->setAlignment(horizontal | Qt::AlignTop);
    if (design.flags & F::Opaque) {
        label->setAutoFillBackground(true);
        QPalette pal = label->palette();
        pal.setColor(QPalette::Window, colourOf(design.back, QPalette::Button));
        label->setPalette(pal);
    }
    label->setCaption(utf8(design.caption));
    if (design.flags & F::Hidden)
        label->hide();
    return label;
}

QWidget *makeTextBox(const ControlSpec &design, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    applyCommon(box, design);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Text, colourOf(design.fore, QPalette::Text));
    pal.setColor(QPalette::Base, colourOf(design.back, QPalette::Base));
    box->setPalette(pal);
    if (design.maxLength > 0)
        box->setMaxLength(design.maxLength);
    box->setText(utf8(design.caption));
    box->setFocusPolicy(Qt::StrongFocus);
    return box;
}

QWidget *makePictureButton(const ControlSpec &design, QWidget *parent)
{
    auto *button = new PictureButton(parent);
    applyCommon(button, design);
    button->setText(utf8(design.caption));
    button->setBackColour(colourOf(design.back, QPalette::Button));
    const QIcon normal = pictureIcon(design.picture);
    if (design.picture == Picture::FaceSmile)
        button->setPictures(normal, pictureIcon(Picture::FaceNeutral), pictureIcon(Picture::FaceGrin));
    else
        button->setPictures(normal, normal, normal);
    return button;
}

QWidget *makeButton(const ControlSpec &design, QWidget *parent)
{
    auto *button = new QPushButton(utf8(design.caption), parent);
    applyCommon(button, design);
    button->setAutoDefault(false);
    return button;
}

QWidget *makeImage(const ControlSpec &design, QWidget *parent)
{
    auto *image = new QLabel(parent);
    applyCommon(image, design);
    image->setPixmap(pictureIcon(design.picture).pixmap(pictureSize(design.picture), qApp->devicePixelRatio()));
    image->resize(pictureSize(design.picture));
    return image;
}

QWidget *makeWidget(const ControlSpec &design, QWidget *parent)
{
    switch (design.kind) {
    case ControlKind::Label: return makeLabel(design, parent);
    case ControlKind::TextBox: return makeTextBox(design, parent);
    case ControlKind::PictureButton: return makePictureButton(design, parent);
    case ControlKind::Button: return makeButton(design, parent);
    case ControlKind::Image: return makeImage(design, parent);
    }
    return nullptr;
}

QWidget *makeControl(const ControlSpec &design, QWidget *parent, Controls &c)
{
    QWidget *widget = makeWidget(design, parent);
    applySpeech(widget, design.speech);
    keep(c, design.keptIn, widget);
    keepTermLabel(c, design, widget);
    return widget;
}

bool isChildWindow(ControlKind kind)
{
    return kind == ControlKind::TextBox || kind == ControlKind::Button || kind == ControlKind::PictureButton;
}

void buildMenu(QMainWindow &window, Controls &c)
{
    // The bar itself is the window's, kept from one game to the next
    // (making one reads the style's pictures each time): the menus on it
    // are made afresh.
    QMenuBar *bar = window.menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto designs = menuSpecs();
    auto hasChildren = [&designs](const MenuSpec &entry) {
        return std::any_of(designs.begin(), designs.end(), [&entry](const MenuSpec &other) {
            return other.parent && std::string_view(other.parent) == entry.name;
        });
    };
    std::map<std::string_view, QMenu *> menus;
    for (const MenuSpec &entry : designs) {
        const QString caption = utf8(entry.caption);
        const QString name = QString::fromLatin1(entry.name);
        QMenu *parentMenu = entry.parent ? menus.at(entry.parent) : nullptr;
        if (hasChildren(entry)) {
            QMenu *menu = parentMenu ? parentMenu->addMenu(caption) : bar->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            menus[entry.name] = menu;
            keep(c, entry.keptIn, menu);
        } else {
            QAction *action = parentMenu ? parentMenu->addAction(caption) : bar->addAction(caption);
            action->setObjectName(name);
            keep(c, entry.keptIn, action);
        }
    }
}

} // namespace

Controls buildControls(QMainWindow &window)
{
    Controls c;
    const WindowSpec &design = windowSpec();
    c.surface = new Surface;
    c.surface->setObjectName(QLatin1String(kClientAreaName));
    c.surface->setAccessibleName(QStringLiteral("Tavola"));
    c.surface->setFixedSize(toPixels(design.clientWidthTwips), toPixels(design.clientHeightTwips));
    QPalette pal = c.surface->palette();
    pal.setColor(QPalette::WindowText, colourOf(design.fore, QPalette::WindowText));
    c.surface->setPalette(pal);
    c.surface->setCursor(pictureCursor(Picture::CursorFace));
    // In place before its controls are made: each then takes the window's
    // font and colours once, not again when the whole tree moves in.
    window.setCentralWidget(c.surface);

    // Later siblings stack in front: create back to front, then lift the
    // child windows (text boxes, buttons) in front of every label.
    const auto controls = controlSpecs();
    std::vector<std::pair<QWidget *, const ControlSpec *>> created;
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        created.emplace_back(makeControl(*it, c.surface, c), &*it);
    for (auto &[widget, controlSpec] : created)
        if (isChildWindow(controlSpec->kind))
            widget->raise();

    std::vector<std::pair<QWidget *, const ControlSpec *>> focusable;
    std::copy_if(created.begin(), created.end(), std::back_inserter(focusable),
                 [](const auto &control) { return control.second->tabIndex >= 0; });
    std::sort(focusable.begin(), focusable.end(),
              [](const auto &a, const auto &b) { return a.second->tabIndex < b.second->tabIndex; });
    for (std::size_t i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1].first, focusable[i].first);

    for (const TimerSpec &timerSpec : timerSpecs()) {
        auto *timer = new QTimer(c.surface);
        timer->setObjectName(QString::fromLatin1(timerSpec.name));
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(timerSpec.intervalMs);
        // An interval of 0 never ticks; a zero-interval QTimer would spin.
        if (timerSpec.enabled && timerSpec.intervalMs > 0)
            timer->start();
        keep(c, timerSpec.keptIn, timer);
    }

    buildMenu(window, c);
    return c;
}
