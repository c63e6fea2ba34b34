#include "scripted_dialogs.h"

void ScriptedDialogs::information(QWidget*, const QString& text)
{
    calls.append({DialogCall::Information, text, {}, {}, false, {}});
}

bool ScriptedDialogs::askYesNo(QWidget*, const QString& text, const QString& caption)
{
    calls.append({DialogCall::YesNo, text, caption, {}, false, {}});
    return !yesNoAnswers.isEmpty() && yesNoAnswers.takeFirst();
}

bool ScriptedDialogs::warnYesNo(QWidget* owner, const QString& text, const QString& caption)
{
    return askYesNo(owner, text, caption);
}

void ScriptedDialogs::error(QWidget*, const QString& text, const QString& caption)
{
    calls.append({DialogCall::Error, text, caption, {}, false, {}});
}

QStringList ScriptedDialogs::openFiles(QWidget*, const OpenFileRequest& request)
{
    calls.append({DialogCall::OpenFiles, {}, request.title, request.fileName, request.multiple, request.filter});
    return fileAnswers.isEmpty() ? QStringList() : fileAnswers.takeFirst();
}

QString ScriptedDialogs::inputBox(QWidget*, const QString& caption, const QString& prompt, const QString& preset)
{
    calls.append({DialogCall::Input, prompt, caption, preset, false, {}});
    const std::optional<QString> answer = inputAnswers.isEmpty() ? std::nullopt : inputAnswers.takeFirst();
    return answer.value_or(preset);
}

QStringList ScriptedDialogs::texts(DialogCall::Kind kind) const
{
    QStringList result;
    for (const DialogCall& call : calls)
        if (call.kind == kind)
            result.append(call.text);
    return result;
}

void ScriptedDialogs::clear()
{
    yesNoAnswers.clear();
    fileAnswers.clear();
    inputAnswers.clear();
    calls.clear();
}
