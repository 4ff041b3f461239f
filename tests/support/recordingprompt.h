#pragma once

#include "app/userprompt.h"

#include <QList>
#include <QString>

#include <functional>

// Answers the program's message boxes in tests and records what they said.
class RecordingPrompt : public UserPrompt
{
public:
    struct Box
    {
        QString kind; // "inform", "ask", "error" or "open"
        QString caption;
        QString text;
        QString details;
    };

    RecordingPrompt() { UserPrompt::install(this); }
    ~RecordingPrompt() override { UserPrompt::install(nullptr); }

    void inform(QWidget *, const QString &caption, const QString &text) override
    {
        boxes.append({QStringLiteral("inform"), caption, text, {}});
    }
    bool askYesNo(QWidget *, const QString &caption, const QString &text,
                  const QString &details) override
    {
        boxes.append({QStringLiteral("ask"), caption, text, details});
        if (onAsk)
            onAsk();
        return answerYes;
    }
    void showError(QWidget *, const QString &caption, const QString &text) override
    {
        boxes.append({QStringLiteral("error"), caption, text, {}});
    }

    QString chooseFileToOpen(QWidget *, const QString &caption, const QString &folder,
                             const QString &) override
    {
        boxes.append({QStringLiteral("open"), caption, folder, {}});
        return fileToOpen;
    }

    QList<Box> boxes;
    // What the file choice answers; empty: cancelled.
    QString fileToOpen;
    bool answerYes = true;
    // Runs while a question is open, as the window's events would.
    std::function<void()> onAsk;
};
