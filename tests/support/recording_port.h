// A user port for tests: records every message and answers dialogs from queued replies.
#pragma once

#include "platform/user_port.h"

#include <deque>
#include <string>
#include <vector>

namespace tessaro::testing {

class RecordingPort : public UserPort {
public:
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<std::string> questions;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::deque<bool> okCancelAnswers;                             // empty: OK
    std::deque<std::optional<std::filesystem::path>> openAnswers;  // empty: cancel
    std::deque<std::optional<std::filesystem::path>> saveAnswers;  // empty: cancel
    int pendingMessageCalls = 0;
    std::vector<Progress> progress;

    void showMessage(const std::string& text) override { messages.push_back(text); }
    void reportError(const std::string& text) override { errors.push_back(text); }
    bool askOkCancel(const std::string& text) override {
        questions.push_back(text);
        return take(okCancelAnswers, true);
    }
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return take(openAnswers, std::optional<std::filesystem::path>{});
    }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return take(saveAnswers, std::optional<std::filesystem::path>{});
    }
    void processPendingMessages() override { ++pendingMessageCalls; }
    void showProgress(const Progress& report) override { progress.push_back(report); }

private:
    template <typename T>
    static T take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

}  // namespace tessaro::testing
