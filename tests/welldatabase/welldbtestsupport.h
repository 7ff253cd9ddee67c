#pragma once

#include "imessagelogger.h"
#include "messagemanager.h"
#include "zreventbus.h"
#include "zrwelldbanswerer.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTest>
#include <QUuid>
#include <QVector>

#include <memory>
#include <mutex>

/// Collects every event-bus message of the test process through a real
/// message manager.
class MessageCapture
{
public:
    struct Message
    {
        int drawType;
        QString text;
        bool flag;
    };

    bool start()
    {
        m_logger = std::make_shared<Logger>();
        m_manager.addLogger(m_logger);
        if (!m_manager.startListen())
            return false;
        m_bus = std::make_unique<ZREventBus>(m_manager.getNumPort());
        m_bus->setMutex(m_manager.getMutex());
        return true;
    }

    /// Sends a marker and waits for it: every message sent before is then held.
    bool sync()
    {
        const QString marker = QStringLiteral("##sync ") + QString::number(++m_syncCount);
        ZREventBus::sendMessage(eDrawInformation, marker, false);
        return QTest::qWaitFor([&] { return m_logger->has(marker); }, 10000);
    }

    QVector<Message> messages() const { return m_logger->messages(); }
    void clear() { m_logger->clear(); }

    bool contains(int drawType, const QString& text) const
    {
        for (const Message& message : messages()) {
            if (message.drawType == drawType && message.text == text)
                return true;
        }
        return false;
    }
    int countStartingWith(const QString& prefix) const
    {
        int count = 0;
        for (const Message& message : messages())
            count += message.text.startsWith(prefix) ? 1 : 0;
        return count;
    }
    QStringList texts() const
    {
        QStringList result;
        for (const Message& message : messages())
            result.append(message.text);
        return result;
    }

private:
    class Logger : public IMessageLogger
    {
    public:
        void log(int drawType, const std::string& text, bool flag) override
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_messages.append(Message{drawType, QString::fromStdString(text), flag});
        }
        QVector<Message> messages() const
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            QVector<Message> result;
            for (const Message& message : m_messages) {
                if (!message.text.startsWith(QLatin1String("##sync ")))
                    result.append(message);
            }
            return result;
        }
        bool has(const QString& text) const
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (const Message& message : m_messages) {
                if (message.text == text)
                    return true;
            }
            return false;
        }
        void clear()
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_messages.clear();
        }

    private:
        mutable std::mutex m_mutex;
        QVector<Message> m_messages;
    };

    MessageManager m_manager;
    std::shared_ptr<Logger> m_logger;
    std::unique_ptr<ZREventBus> m_bus;
    int m_syncCount = 0;
};

/// Answers the update question from a script and records every call.
class ScriptedAnswerer : public ZRWellDbAnswerer
{
public:
    explicit ScriptedAnswerer(bool update = true) : m_update(update) {}
    bool askStructureUpdate(const QString& projectName) override
    {
        questions.append(projectName);
        return m_update;
    }
    void showWarning(const QString& title, const QString& text) override
    {
        warnings.append(title + QStringLiteral(" | ") + text);
    }

    QStringList questions;
    QStringList warnings;

private:
    bool m_update;
};

/// A separate raw connection on a database file, for reading or changing it
/// behind the well database's back. Removed on destruction.
class RawConnection
{
public:
    explicit RawConnection(const QString& fileName)
        : m_name(QStringLiteral("raw-") + QUuid::createUuid().toString(QUuid::Id128))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(fileName);
        m_open = db.open();
    }
    ~RawConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool isOpen() const { return m_open; }
    bool exec(const QString& statement)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.exec(statement)) {
            lastError = query.lastError().text();
            return false;
        }
        return true;
    }
    /// The rows of a query, each as its values joined by "|" (NULL shown as "NULL").
    QStringList rows(const QString& statement)
    {
        QStringList result;
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.exec(statement)) {
            lastError = query.lastError().text();
            return result;
        }
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values.append(query.value(i).isNull() ? QStringLiteral("NULL") : query.value(i).toString());
            result.append(values.join(QLatin1Char('|')));
        }
        return result;
    }

    QString lastError;

private:
    QString m_name;
    bool m_open = false;
};
