#include "startup/Translations.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

QString translationsFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

// Installs the translations at the first context menu, before the widget
// that is asked for one makes it, then goes.
class OnFirstContextMenu final : public QObject
{
public:
    explicit OnFirstContextMenu(QCoreApplication &application)
        : QObject(&application)
        , m_application(application)
    {
        application.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ContextMenu && !m_done) {
            m_done = true;
            m_application.removeEventFilter(this);
            installQtItalian(m_application);
            deleteLater();
        }
        return false;
    }

private:
    QCoreApplication &m_application;
    bool m_done = false;
};

} // namespace

bool installQtItalian(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_it"), translationsFolder())
        && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

bool installQtItalianWhenAsked(QCoreApplication &application)
{
    if (!QFileInfo::exists(translationsFolder() + QStringLiteral("/qtbase_it.qm")))
        return false;
    new OnFirstContextMenu(application);
    return true;
}
