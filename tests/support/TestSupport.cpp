#include "TestSupport.h"

#include "platform/Cp932.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/SettingsStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

namespace pagelore::test {

DialogAnswerer::DialogAnswerer()
{
    MessageBox::setHook(this);
}

DialogAnswerer::~DialogAnswerer()
{
    MessageBox::setHook(nullptr);
}

DialogAnswerer &DialogAnswerer::answer(MessageBox::Answer a)
{
    m_answers.push_back(Scripted{false, a, {}, false});
    return *this;
}

DialogAnswerer &DialogAnswerer::type(const QString &text)
{
    m_answers.push_back(Scripted{true, MessageBox::Answer::Ok, text, false});
    return *this;
}

DialogAnswerer &DialogAnswerer::cancel()
{
    m_answers.push_back(Scripted{true, MessageBox::Answer::Ok, {}, true});
    return *this;
}

QStringList DialogAnswerer::titles() const
{
    QStringList out;
    for (const auto &box : m_shown)
        out << box.title;
    return out;
}

QStringList DialogAnswerer::texts() const
{
    QStringList out;
    for (const auto &box : m_shown)
        out << box.text;
    return out;
}

void DialogAnswerer::clear()
{
    m_shown.clear();
    m_answers.clear();
    m_unexpected = 0;
}

MessageBox::Answer DialogAnswerer::answerMessage(const MessageBox::ShownBox &box)
{
    m_shown.append(box);
    const bool yesNo = box.buttons.size() == 2;
    if (!m_answers.empty() && !m_answers.front().forInput) {
        const auto a = m_answers.front().answer;
        m_answers.pop_front();
        return a;
    }
    ++m_unexpected;
    return yesNo ? MessageBox::Answer::No : MessageBox::Answer::Ok;
}

std::optional<QString> DialogAnswerer::answerInput(const MessageBox::ShownBox &box)
{
    m_shown.append(box);
    if (!m_answers.empty() && m_answers.front().forInput) {
        const Scripted a = m_answers.front();
        m_answers.pop_front();
        if (a.cancelled)
            return std::nullopt;
        return a.text;
    }
    ++m_unexpected;
    return std::nullopt;
}

TempDataFolder::TempDataFolder(bool createFiles, bool chooseIt)
{
    m_folder = m_dir.path() + QLatin1Char('/');
    if (createFiles) {
        for (const QString &name : DataFiles::all())
            FileOps::ensureFileExists(m_folder + name);
    }
    if (chooseIt)
        choose();
}

QByteArray TempDataFolder::read(const QString &name) const
{
    return readFile(file(name));
}

void TempDataFolder::write(const QString &name, const QByteArray &bytes) const
{
    writeFile(file(name), bytes);
}

void TempDataFolder::choose() const
{
    SettingsStore::SaveSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address"), m_folder);
}

void setImageFolder(const QString &folder)
{
    SettingsStore::SaveSetting(kApplicationName, QStringLiteral("GazouSave"), QStringLiteral("Address"), folder);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write test file %s", qPrintable(path));
    f.write(bytes);
}

QByteArray sjis(const QString &text)
{
    const auto r = Cp932::encode(text);
    if (!r.ok)
        qFatal("test text cannot be encoded");
    return r.bytes;
}

void whenModalOpens(std::function<void(QWidget *)> action, QWidget *current, int timeoutMs)
{
    auto *timer = new QTimer;
    auto *elapsed = new QElapsedTimer;
    elapsed->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, action, current, timeoutMs]() {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != current && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            action(modal);
            return;
        }
        if (elapsed->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            qWarning("whenModalOpens: no modal dialog opened");
            if (QWidget *m = QApplication::activeModalWidget())
                m->close();
        }
    });
    timer->start();
}

void isolateUserFolders()
{
    static QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("config"));
    QDir(home.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path() + QStringLiteral("/runtime")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace pagelore::test
