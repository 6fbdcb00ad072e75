#include "ui/Pictures.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSvgRenderer>

#include <map>
#include <set>

namespace {

const char *resourceOf(Picture picture)
{
    switch (picture) {
    case Picture::WindowIcon: return ":/pictures/window-icon.svg";
    case Picture::CursorFace: return ":/pictures/cursor-face.svg";
    case Picture::Stopwatch: return ":/pictures/stopwatch.svg";
    case Picture::NoEntry: return ":/pictures/no-entry.svg";
    case Picture::FaceSmile: return ":/pictures/face-smile.svg";
    case Picture::FaceNeutral: return ":/pictures/face-neutral.svg";
    case Picture::FaceGrin: return ":/pictures/face-grin.svg";
    case Picture::IconPointer: return ":/pictures/icon-pointer.svg";
    case Picture::None: break;
    }
    return nullptr;
}

} // namespace

QSize pictureSize(Picture picture)
{
    switch (picture) {
    case Picture::None: return {};
    case Picture::WindowIcon: return {48, 48};
    default: return {32, 32};
    }
}

namespace {

QPixmap render(Picture picture, QSize pixels)
{
    const char *resource = resourceOf(picture);
    if (!resource)
        return {};
    QSvgRenderer renderer{QString::fromLatin1(resource)};
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    return pixmap;
}

} // namespace

QPixmap picturePixmap(Picture picture, qreal devicePixelRatio)
{
    QPixmap pixmap = render(picture, (QSizeF(pictureSize(picture)) * devicePixelRatio).toSize());
    if (!pixmap.isNull())
        pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

namespace {

// Rendered once for the life of the application: every new game rebuilds the
// window, and fresh icons would each fill Qt's pixmap cache anew. Owned by
// the application object so they go before the GUI does.
class IconCache : public QObject
{
public:
    using QObject::QObject;
    std::map<Picture, QIcon> icons;
    std::map<std::pair<Picture, qreal>, QCursor> cursors;
};

IconCache &iconCache()
{
    static QPointer<IconCache> cache;
    if (!cache)
        cache = new IconCache(QCoreApplication::instance());
    return *cache;
}

} // namespace

QIcon pictureIcon(Picture picture)
{
    auto &icons = iconCache().icons;
    if (const auto known = icons.find(picture); known != icons.end())
        return known->second;
    // Rendered for the scales of the screens there are, not for every scale
    // there could be: each extra scale costs a rendering at start-up and its
    // pixmap's memory for the whole game.
    std::set<qreal> ratios{1.0};
    for (const QScreen *screen : QGuiApplication::screens())
        ratios.insert(screen->devicePixelRatio());
    QIcon icon;
    if (picture == Picture::WindowIcon) {
        // The desktop picks the size it needs (title bar, task switcher,
        // menu): offer each common size drawn for itself.
        for (int side : kWindowIconSizes)
            icon.addPixmap(render(picture, QSize(side, side)));
    } else {
        for (qreal ratio : ratios)
            icon.addPixmap(picturePixmap(picture, ratio));
    }
    icons.emplace(picture, icon);
    return icon;
}

QCursor pictureCursor(Picture picture, qreal devicePixelRatio)
{
    auto &cursors = iconCache().cursors;
    const auto key = std::make_pair(picture, devicePixelRatio);
    if (const auto known = cursors.find(key); known != cursors.end())
        return known->second;
    const QSize size = pictureSize(picture);
    const QCursor cursor(picturePixmap(picture, devicePixelRatio), size.width() / 2, size.height() / 2);
    cursors.emplace(key, cursor);
    return cursor;
}
