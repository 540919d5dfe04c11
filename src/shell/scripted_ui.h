// A Ui for tests: answers the dialogs from a script and records every call
// as one line of text, so a test can check what was shown and in what order.
#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/tmform.h"
#include "shell/ui.h"

namespace pasahorario {

class ScriptedUi : public Ui {
 public:
  // Answers of the file dialog, one per showing; nothing (cancel) when the
  // script has run out.
  std::deque<std::optional<std::string>> files;
  // Answers of the start-time dialog, one per showing; the entry untouched
  // when the script has run out.
  std::deque<std::string> start_times;
  // The form whose close handler CloseMainWindow runs, as a window would.
  TMForm* form = nullptr;

  // Every call, in order: "ChooseXmlFile", "ShowMessage: <text>",
  // "ShowError: <text>", "ShowReport: <summary>", "AskStartTime: <entry>", "SetBusy: 1",
  // "DisableDirectionButtons", "CloseMainWindow", "EmbedIn: <handle>",
  // "RemoveFrame", "ShowHelpContents".
  std::vector<std::string> calls;

  // The window's state as the calls left it.
  bool busy = false;
  bool buttons_enabled = true;
  bool closed = false;
  bool framed = true;
  std::optional<uint32_t> parent;

  std::optional<std::string> ChooseXmlFile() override {
    calls.push_back("ChooseXmlFile");
    if (files.empty()) return std::nullopt;
    std::optional<std::string> answer = files.front();
    files.pop_front();
    return answer;
  }
  void ShowMessage(std::string_view text) override {
    calls.push_back("ShowMessage: " + std::string(text));
  }
  void ShowReport(const Report& report) override {
    calls.push_back("ShowReport: " + report.Summary());
  }
  void ShowError(std::string_view text) override {
    calls.push_back("ShowError: " + std::string(text));
  }
  std::string AskStartTime(std::string_view entry) override {
    calls.push_back("AskStartTime: " + std::string(entry));
    if (start_times.empty()) return std::string(entry);
    std::string answer = start_times.front();
    start_times.pop_front();
    return answer;
  }
  void SetBusy(bool on) override {
    busy = on;
    calls.push_back(on ? "SetBusy: 1" : "SetBusy: 0");
  }
  void DisableDirectionButtons() override {
    buttons_enabled = false;
    calls.push_back("DisableDirectionButtons");
  }
  void CloseMainWindow() override {
    calls.push_back("CloseMainWindow");
    closed = true;
    if (form != nullptr) form->FormClose();
  }
  void EmbedIn(uint32_t handle) override {
    parent = handle;
    calls.push_back("EmbedIn: " + std::to_string(handle));
  }
  void RemoveFrame() override {
    framed = false;
    calls.push_back("RemoveFrame");
  }
  void ShowHelpContents() override { calls.push_back("ShowHelpContents"); }

  // The calls whose text starts with `prefix`.
  std::vector<std::string> CallsStartingWith(std::string_view prefix) const {
    std::vector<std::string> out;
    for (const std::string& call : calls) {
      if (call.starts_with(prefix)) out.push_back(call);
    }
    return out;
  }
};

}  // namespace pasahorario
