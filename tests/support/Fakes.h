#pragma once

#include "platform/FolderChooser.h"
#include "platform/MessageBox.h"
#include "res/resource.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::test {

// Records every message box and answers from a queue (OK when the queue is empty).
class FakeMessageBox : public IMessageBox {
public:
    struct Shown {
        std::string text;
        std::string caption;
        unsigned style;
        std::string details{}; // empty for a box without a details section
    };

    int Show(QWidget*, const std::string& text, const std::string& caption,
             unsigned style) override {
        return Record({text, caption, style, {}});
    }
    int ShowWithDetails(QWidget*, const std::string& text, const std::string& caption,
                        unsigned style, const std::string& details) override {
        return Record({text, caption, style, details});
    }

    std::vector<Shown> shown;
    std::deque<int> answers;
    std::function<void()> onShow; // runs while the box would be open

private:
    int Record(Shown box) {
        shown.push_back(std::move(box));
        if (onShow)
            onShow();
        if (answers.empty())
            return IDOK;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Answers the folder chooser from a queue (cancel when empty) and records the titles asked.
class FakeFolderChooser : public IFolderChooser {
public:
    std::optional<std::string> ChooseFolder(QWidget*, const std::string& title) override {
        titles.push_back(title);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<std::string> titles;
    std::deque<std::optional<std::string>> answers;
};

} // namespace quorvel::test
