// Test double of the message box: records every box and answers from a
// queue (kOk when the queue is empty).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/IMessageBox.h"

class CRecordingMessageBox : public IMessageBox {
public:
    struct Shown {
        std::string text;
        std::string caption;
        unsigned style = 0;
    };

    int Show(const std::string& text, const std::string& caption, unsigned style) override {
        m_shown.push_back({text, caption, style});
        if (m_answers.empty()) return MessageBoxResult::kOk;
        int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    void QueueAnswer(int answer) { m_answers.push_back(answer); }
    const std::vector<Shown>& ShownBoxes() const { return m_shown; }
    void Clear() { m_shown.clear(); }

private:
    std::vector<Shown> m_shown;
    std::deque<int> m_answers;
};
