#pragma once

#include <QString>

#include <memory>

/// The questions and warnings that the well database puts to the user. The
/// widgets target gives the real dialogs (ZRWellDbDialogAnswerer); tests give
/// scripted ones. Without any answerer installed the headless one is used.
class ZRWellDbAnswerer
{
public:
    virtual ~ZRWellDbAnswerer() = default;

    /// The "Velostrat Well database update" question for projectName:
    /// true for "Update", false for "Skip".
    virtual bool askStructureUpdate(const QString& projectName) = 0;
    /// A warning box with title and text (obsolete versions, missing driver).
    virtual void showWarning(const QString& title, const QString& text) = 0;

    /// The answerer used by databases that were given none; never null.
    static std::shared_ptr<ZRWellDbAnswerer> defaultAnswerer();
    /// Installs the process-wide default (null restores the headless one).
    static void setDefaultAnswerer(std::shared_ptr<ZRWellDbAnswerer> answerer);
};

/// Answers without a window: skips the structure update and writes warnings
/// to standard error.
class ZRWellDbHeadlessAnswerer : public ZRWellDbAnswerer
{
public:
    bool askStructureUpdate(const QString& projectName) override;
    void showWarning(const QString& title, const QString& text) override;
};
