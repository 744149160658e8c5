#pragma once

#include "data/Table.h"
#include "data/facts/AudioFileFacts.h"
#include "library/FileArgument.h"
#include "platform/Seams.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace corvane {

class ConsoleCommands;
class LibraryAnalysis;
class TdmQelData;
class TfrmQelFileImport;
class WaveDevice;
struct ConsoleTools;
struct CorvaneSettings;

// The console's side of the audio library and the previewer: the tool
// windows it offers the other parts (parameter browser, previewer, title
// details, automatic scan), the library manager behind "&Audio Library" (one
// window, brought up when open), the backup and the restore advice on
// "&Database Management", and the file named on the command line. Main thread.
class ConsoleLibrary final : public QObject {
    Q_OBJECT
public:
    enum class Opening { Plain, WithAutoScan };
    // What the library manager asks of the rest of the console.
    struct Links {
        std::function<bool()> OnAir;
        std::function<void()> ProcessPendingMessages;
        std::function<void(const std::vector<Bookmark>& rows, const std::function<void()>& clear)>
            AddTitlesToSchedule;
        std::function<void(const std::string& topic)> ShowHelpTopic;
        // Measures what the library imports, and the library on demand.
        LibraryAnalysis* analysis = nullptr;
    };
    // `database` is the "&Database Management" button, when the window has one.
    ConsoleLibrary(QWidget& window, ConsoleCommands& commands, QWidget* database, Seams seams,
                   TdmQelData& data, WaveDevice& output, const CorvaneSettings& settings, ConsoleTools& tools,
                   Links links);
    ~ConsoleLibrary() override;

    TfrmQelFileImport& Open(Opening opening);
    // The outputs the previewer may use, for the Properties dialog.
    std::vector<std::string> PreviewOutputs() const;
    // Where a file named on the command line goes, by its type.
    FileArgumentRoutes& Routes() { return routes_; }
    void OpenFileArgument(const std::string& path);

private:
    void OfferBackup(QWidget& database);

    QWidget& window_;
    Seams seams_;
    TdmQelData& data_;
    WaveDevice& output_;
    ConsoleTools& tools_;
    Links links_;
    AudioFileFacts facts_;
    QPointer<TfrmQelFileImport> fileImport_;
    FileArgumentRoutes routes_;
};

} // namespace corvane
