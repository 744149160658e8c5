#include "rack/RackManager.h"

#include "data/TdmQelData.h"
#include "platform/ExceptionGuard.h"
#include "platform/SaveBeforeClosing.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace corvane {
namespace {

constexpr const char* RackFilter = "Corvane Audio Rack [*.rck]|*.rck|All Files [*.*]|*.*";
constexpr const char* AudioFilter = "MPEG3 Compressed Audio [*.mp3]|*.mp3|Windows Audio File [*.wav]|*.wav|"
                                    "Audio Files [*.wav, *.mp3]|*.wav;*.mp3|All Files [*.*]|*.*";

FileDialogRequest RackFileRequest() {
    FileDialogRequest request;
    request.filter = RackFilter;
    request.defaultExtension = "*.rck";
    return request;
}

bool IsCartAudio(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".wav" || ext == ".mp3";
}

} // namespace

RackManager::RackManager(TdmQelData& data, Prompter& prompter, FileDialogs& fileDialogs, View view)
    : data_(data), prompter_(prompter), fileDialogs_(fileDialogs), view_(std::move(view)) {}

void RackManager::ShowCaption(const std::string& caption) {
    if (view_.SetCaption)
        view_.SetCaption(caption);
}

void RackManager::New() {
    if (modified_ && !SavePrompt())
        return;
    Table& list = data_.cdsFileList;
    if (list.Active())
        list.EmptyDataSet();
    else
        list.CreateDataSet();
    modified_ = false;
}

void RackManager::Open() {
    if (modified_ && !SavePrompt())
        return;
    const auto path = fileDialogs_.OpenFile(RackFileRequest());
    if (!path)
        return;
    try {
        data_.cdsFileList.LoadFromFile(*path);
        ShowCaption("Audio Rack: " + *path);
        modified_ = false;
    } catch (...) {
        prompter_.Show("Unable to open selected audio rack, please ensure that a valid file is selected\r\n" +
                           ExceptionMessage(std::current_exception()),
                       MessageType::Information, MessageButtons::Ok);
        New();
    }
}

bool RackManager::Save() {
    const auto path = fileDialogs_.SaveFile(RackFileRequest());
    if (!path)
        return false;
    try {
        Table& list = data_.cdsFileList;
        if (!list.Active())
            list.CreateDataSet();
        list.SaveToFile(*path);
    } catch (...) {
        prompter_.Show("Unable to save selected file list.", MessageType::Information, MessageButtons::Ok);
        return false;
    }
    modified_ = false;
    ShowCaption("Audio Rack: " + *path);
    OfferForRackList(*path);
    return true;
}

// A rack saved under a new name may join the console's rack list; the list's
// cursor is where it was afterwards.
void RackManager::OfferForRackList(const std::string& path) {
    Table& rackList = data_.cdsRackList;
    if (!rackList.Active())
        return;
    const Bookmark place = rackList.IsEmpty() ? 0 : rackList.GetBookmark();
    const bool listed = rackList.Locate("FileList", path);
    if (!listed && prompter_.Show("Add Audio Rack List to Vantor Corvane Playout Console?",
                                  MessageType::Confirmation, MessageButtons::YesNo) == MessageAnswer::Yes) {
        // The rack list's new-row rule asks for a file unless told it is supplied.
        rackList.Tag = TdmQelData::RackListFileSupplied;
        try {
            rackList.Append();
            rackList.FieldByName("FileList").SetAsString(path);
            rackList.Post();
        } catch (...) {
            rackList.Tag = 0;
            if (rackList.State() == TableState::Insert)
                rackList.Cancel();
            throw;
        }
        rackList.Tag = 0;
    }
    if (place != 0)
        rackList.GotoBookmark(place);
}

bool RackManager::SavePrompt() {
    if (!MayCloseUnsaved(prompter_, "Save current audio rack?", modified_, [this] { return Save(); }))
        return false;
    Table& list = data_.cdsFileList;
    if (list.Active())
        list.Close();
    modified_ = false;
    return true;
}

bool RackManager::CloseRack() {
    if (!SavePrompt())
        return false;
    ShowCaption(ManagerCaption);
    return true;
}

void RackManager::Add() {
    FileDialogRequest request;
    request.filter = AudioFilter;
    request.defaultExtension = "mp3";
    if (const auto path = fileDialogs_.OpenFile(request))
        Add(*path);
}

void RackManager::Add(const std::string& path) {
    Table& list = data_.cdsFileList;
    if (!list.Active())
        New();
    list.Append();
    list.FieldByName("LocalPathToFile").SetAsString(path);
    list.Post();
    modified_ = true;
}

void RackManager::AddDropped(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (IsCartAudio(path))
            Add(path);
}

void RackManager::Remove() {
    Table& list = data_.cdsFileList;
    if (!list.Active() || list.IsEmpty() || list.Eof())
        return;
    list.Delete();
    modified_ = true;
}

void RackManager::PlaySelected() {
    Table& list = data_.cdsFileList;
    if (!list.Active() || list.IsEmpty() || !view_.PreviewAudio)
        return;
    const std::string path = list.FieldByName("LocalPathToFile").AsString();
    if (!path.empty())
        view_.PreviewAudio(path);
}

} // namespace corvane
