// The parameter sets: the active page filled from the settings file, or stored in it. Neither
// talks to the unit nor touches what the pages last read from it, so loaded values show as
// changed and the page's write sends them.
#include "tform1.h"

#include "app/dialogs/comparedialog.h"
#include "app/logcolors.h"
#include "pages/correctorspage.h"
#include "pages/sensorspage.h"
#include "pages/settingspage.h"
#include "unit/parametersetmapping.h"
#include "unit/unitbackup.h"
#include "userprompt.h"

#include <QPointer>
#include <QTabWidget>
#include <QToolButton>

namespace {

// The button is on again however the step ends.
class ButtonOff
{
public:
    explicit ButtonOff(QToolButton *button) : m_button(button) { m_button->setEnabled(false); }
    ~ButtonOff()
    {
        if (m_button)
            m_button->setEnabled(true);
    }
    ButtonOff(const ButtonOff &) = delete;
    ButtonOff &operator=(const ButtonOff &) = delete;

private:
    QPointer<QToolButton> m_button;
};

// The page whose set the strip loads and saves; None for a page without one.
Snapshot::Page pageShown(const QWidget *current, const QWidget *settings, const QWidget *sensors,
                         const QWidget *correctors)
{
    if (current == settings)
        return Snapshot::Page::Settings;
    if (current == sensors)
        return Snapshot::Page::Sensors;
    if (current == correctors)
        return Snapshot::Page::Correctors;
    return Snapshot::Page::None;
}

} // namespace

void TForm1::ButtonDefValsClick()
{
    const ButtonOff off(ButtonDefVals);
    const ProfileFile file = settingsFile();
    ParameterSetMapping::loadFromFile(
        file,
        pageShown(PageControl1->currentWidget(), m_settingsPage, m_sensorsPage, m_correctorsPage),
        m_data);
}

void TForm1::ButtonSaveParamsClick()
{
    const ButtonOff off(ButtonSaveParams);
    const QString caption = QStringLiteral("Сохранение!");
    if (!UserPrompt::current().askYesNo(this, caption,
                                        QStringLiteral("Сохранить параметры в ini-файл?")))
        return;
    ProfileFile file = settingsFile();
    const Snapshot::Page page =
        pageShown(PageControl1->currentWidget(), m_settingsPage, m_sensorsPage, m_correctorsPage);
    if (ParameterSetMapping::hasEmptyValue(page, m_data) &&
        !UserPrompt::current().askYesNo(
            this, caption,
            QStringLiteral("В списке содержаться пустые значения,\r\nВсе равно сохранить?")))
        return;
    // The set of this page only: saving another page's set never rewrites this one.
    ParameterSetMapping::storeInFile(file, page, m_data);
}

void TForm1::ButtonCompareClick()
{
    const QString caption = QStringLiteral("Сравнение с файлом");
    // An operation under way reads and writes the pages' data: nothing may change it meanwhile.
    if (!PageControl1->isEnabled()) {
        UserPrompt::current().inform(this, caption,
                                     QStringLiteral("Дождитесь окончания операции."));
        return;
    }
    // The pages hold the unit's values only after a whole read: before it, or after a read
    // that failed, they hold nothing or another unit's, and a connect-time read would replace
    // whatever Apply put into them.
    if (!m_data.settingsReadOk) {
        UserPrompt::current().inform(
            this, caption,
            QStringLiteral("Настройки прибора не считаны: подключитесь к прибору, чтобы сравнить "
                           "его с файлом."));
        return;
    }
    const QString path = UserPrompt::current().chooseFileToOpen(
        this, caption, backupFolder(), QStringLiteral("Настройки прибора (*.ini);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    QString why;
    const std::optional<UnitSnapshot> file = UnitBackup::read(path, &why);
    if (!file) {
        const QString text = QStringLiteral("Не удалось прочитать файл настроек: ") + why;
        activityLog().log(text, LogColor::Red);
        UserPrompt::current().inform(this, caption, text);
        return;
    }
    const QPointer<TForm1> form(this);
    auto *dialog = new CompareDialog(
        m_data, *file, path,
        [form](const QStringList &applied, const QStringList &refused) {
            if (form && !applied.isEmpty())
                form->activityLog().log(
                    QStringLiteral("Значения из файла перенесены на страницы: ") +
                        applied.join(QStringLiteral(", ")) +
                        QStringLiteral(". Запишите их кнопкой «Записать» страниц."),
                    LogColor::Blue);
            if (form && !refused.isEmpty())
                form->activityLog().log(QStringLiteral("Значения из файла не применены: ") +
                                            refused.join(QStringLiteral(", ")),
                                        LogColor::Red);
        },
        this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
}
