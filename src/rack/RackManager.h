#pragma once

#include <functional>
#include <string>
#include <vector>

namespace corvane {

class FileDialogs;
class Prompter;
class TdmQelData;

// The rack manager's rules ("Audio Rack Manager"), Qt-free: the rack being
// edited is cdsFileList (row order is cart order), saved as a ".rck" file;
// a modified flag guards it with a question before it is replaced or closed,
// and a newly saved rack may join the console's rack list. Main thread.
class RackManager {
public:
    static constexpr const char* ManagerCaption = "Audio Rack Manager";

    struct View {
        std::function<void(const std::string& caption)> SetCaption;
        // The previewer, when the console has one.
        std::function<void(const std::string& path)> PreviewAudio;
    };

    RackManager(TdmQelData& data, Prompter& prompter, FileDialogs& fileDialogs, View view);

    // "&New": an empty rack.
    void New();
    // "&Open": a rack file chosen by the operator.
    void Open();
    // "&Save": true when the rack was written.
    bool Save();
    // "C&lose Audio Rack": false when the operator cancelled at the question.
    bool CloseRack();
    // The manager is closing: false when the operator cancelled.
    bool CanClose() { return SavePrompt(); }
    // "&Add Song": a file chosen by the operator.
    void Add();
    // One file, as given.
    void Add(const std::string& path);
    // Files dropped on the manager: WAV and MP3 files only, in the order given.
    void AddDropped(const std::vector<std::string>& paths);
    // "&Remove Song": the current row.
    void Remove();
    // A row was changed in place in the grid.
    void RowEdited() { modified_ = true; }
    // "&Play Selected Song": the current row's file in the previewer.
    void PlaySelected();

    bool Modified() const { return modified_; }

private:
    // Offers to save a modified rack; false when the operator cancelled or
    // the save he asked for did not happen. Unless false, the rack is closed.
    bool SavePrompt();
    void OfferForRackList(const std::string& path);
    void ShowCaption(const std::string& caption);

    TdmQelData& data_;
    Prompter& prompter_;
    FileDialogs& fileDialogs_;
    View view_;
    bool modified_ = false;
};

} // namespace corvane
