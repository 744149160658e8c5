#pragma once

#include <QAction>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

namespace corvane {

// The console's commands (the action list `cvActions`): one QAction per
// command, named as the rules address it ("StartBroadcast", "actProperties"),
// with the caption and shortcut the operator knows. Menus, tool bars and the
// tray share these actions, so enabling a command by name reaches every place
// it is shown. A command whose workings are not part of this console yet is
// created disabled and stays so; nothing fakes it.
class ConsoleCommands final : public QObject {
    Q_OBJECT
public:
    explicit ConsoleCommands(QObject* parent);

    // The command of that name; throws std::out_of_range for an unknown name.
    QAction* Command(const QString& name) const;
    bool Has(const QString& name) const { return commands_.contains(name); }
    // Enables or disables a command that the console carries out; commands not
    // built yet stay disabled whatever is asked.
    void SetEnabled(const QString& name, bool enabled);
    // Marks a command as carried out, enabled from then on.
    void Implement(const QString& name);
    bool Implemented(const QString& name) const { return implemented_.contains(name); }
    QList<QString> Names() const { return commands_.keys(); }

private:
    QHash<QString, QAction*> commands_;
    QSet<QString> implemented_;
};

} // namespace corvane
