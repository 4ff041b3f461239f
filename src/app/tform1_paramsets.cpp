// The parameter sets: the active page filled from the settings file, or stored in it. Neither
// talks to the unit nor touches what the pages last read from it, so loaded values show as
// changed and the page's write sends them.
#include "tform1.h"

#include "app/dialogs/comparedialog.h"
#include "app/logcolors.h"
#include "config/parametersets.h"
#include "pages/correctorspage.h"
#include "pages/sensorspage.h"
#include "pages/settingspage.h"
#include "protocol/settingsrows.h"
#include "protocol/unitbackup.h"
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

constexpr int kParamsRows = SettingsRows::Phone3 + 1;

} // namespace

void TForm1::ButtonDefValsClick()
{
    const ButtonOff off(ButtonDefVals);
    const ProfileFile file = settingsFile();
    QWidget *page = PageControl1->currentWidget();
    if (page == m_settingsPage) {
        const QStringList values = ParameterSets::load(file, ParameterSets::params());
        for (int row = 0; row < kParamsRows; ++row)
            m_data.settings.setValue(row, values[row]);
    } else if (page == m_sensorsPage) {
        const QStringList values = ParameterSets::load(file, ParameterSets::sensors());
        for (int n = 1; n <= 6; ++n) {
            m_data.sensors.setCell(SensorsModel::AlarmColumn, n, values[2 * (n - 1)]);
            m_data.sensors.setCell(SensorsModel::ReactionColumn, n, values[2 * (n - 1) + 1]);
        }
    } else if (page == m_correctorsPage) {
        const QStringList values = ParameterSets::load(file, ParameterSets::devices());
        for (int n = 1; n <= 3; ++n) {
            m_data.correctors.setCell(CorrectorsModel::SpeedColumn, n, values[2 * (n - 1)]);
            m_data.correctors.setCell(CorrectorsModel::DateColumn, n, values[2 * (n - 1) + 1]);
        }
    }
}

void TForm1::ButtonSaveParamsClick()
{
    const ButtonOff off(ButtonSaveParams);
    const QString caption = QStringLiteral("Сохранение!");
    if (!UserPrompt::current().askYesNo(this, caption,
                                        QStringLiteral("Сохранить параметры в ini-файл?")))
        return;
    ProfileFile file = settingsFile();
    QWidget *page = PageControl1->currentWidget();
    if (page == m_settingsPage) {
        bool anyEmpty = false;
        for (int row = 0; row < SettingsRows::Count; ++row)
            anyEmpty = anyEmpty || m_data.settings.value(row).isEmpty();
        if (anyEmpty &&
            !UserPrompt::current().askYesNo(
                this, caption,
                QStringLiteral("В списке содержаться пустые значения,\r\nВсе равно сохранить?")))
            return;
        // The set of this page only: saving another page's set never rewrites this one.
        QStringList values;
        for (int row = 0; row < kParamsRows; ++row)
            values << m_data.settings.value(row);
        ParameterSets::save(file, ParameterSets::params(), values);
    } else if (page == m_sensorsPage) {
        QStringList values;
        for (int n = 1; n <= 6; ++n)
            values << m_data.sensors.cell(SensorsModel::AlarmColumn, n)
                   << m_data.sensors.cell(SensorsModel::ReactionColumn, n);
        ParameterSets::save(file, ParameterSets::sensors(), values);
    } else if (page == m_correctorsPage) {
        QStringList values;
        for (int n = 1; n <= 3; ++n)
            values << m_data.correctors.cell(CorrectorsModel::SpeedColumn, n)
                   << m_data.correctors.cell(CorrectorsModel::DateColumn, n);
        ParameterSets::save(file, ParameterSets::devices(), values);
    }
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
