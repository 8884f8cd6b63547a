// Dialogs for tests: every message is recorded, every file dialog answered from a queue at
// once, so no test waits on a modal box.
#pragma once

#include "app/window/window_dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace tessaro::testing {

class StubDialogs final : public window::WindowDialogs {
public:
    QStringList messages;
    QStringList errors;
    QStringList questions;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::deque<std::optional<std::filesystem::path>> openAnswers;  // empty: cancel
    std::deque<std::optional<std::filesystem::path>> saveAnswers;  // empty: cancel
    // Called as a message is shown, as the user would look at the window then.
    std::function<void(const QString&)> onMessage;

    void message(QWidget*, const QString& text) override {
        messages << text;
        if (onMessage) onMessage(text);
    }
    void error(QWidget*, const QString& text) override { errors << text; }
    bool okCancel(QWidget*, const QString& text) override {
        questions << text;
        return true;
    }
    std::optional<std::filesystem::path> openFile(QWidget*, const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return take(openAnswers);
    }
    std::optional<std::filesystem::path> saveFile(QWidget*, const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return take(saveAnswers);
    }

private:
    static std::optional<std::filesystem::path> take(std::deque<std::optional<std::filesystem::path>>& answers) {
        if (answers.empty()) return std::nullopt;
        auto answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

}  // namespace tessaro::testing
