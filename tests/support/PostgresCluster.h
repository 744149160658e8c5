#pragma once

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <pwd.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace corvane::testing {

// A private PostgreSQL 15 server for one test process: a cluster created in a
// fresh temporary folder, listening on a socket in that folder and on
// 127.0.0.1 at a free port, trusting local connections as user "corvane".
// Never the machine's own cluster. Run as root, the server runs as the
// "postgres" user (initdb refuses root) and the folder is given to it.
// Stop/Kill and Start again keep the folder and the port, for tests of a
// server that goes away; the destructor stops the server and removes the
// folder.
class PostgresCluster {
public:
    static constexpr const char* Bin = "/usr/lib/postgresql/15/bin/";

    PostgresCluster() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-pg-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a folder for the PostgreSQL cluster");
        folder_ = pattern;
        if (::geteuid() == 0) {
            const passwd* user = ::getpwnam("postgres");
            if (user == nullptr)
                throw std::runtime_error("running as root needs the user \"postgres\" for the test server");
            runAs_ = "runuser -u postgres -- ";
            if (::chown(folder_.c_str(), user->pw_uid, user->pw_gid) != 0)
                throw std::runtime_error("cannot give the cluster folder to postgres");
        }
        port_ = FreePort();
        Run(std::string(Bin) + "initdb --no-sync -A trust -U corvane -E UTF8 --locale=C -D " + Data() + " >" +
            Log("initdb") + " 2>&1");
        Start();
    }
    ~PostgresCluster() {
        Stop();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    void Start() {
        Run(std::string(Bin) + "pg_ctl -w -t 60 -D " + Data() + " -l " + Log("server") + " -o \"-p " +
            std::to_string(port_) + " -k " + folder_.string() +
            " -c listen_addresses=127.0.0.1 -c fsync=off\" start >/dev/null");
        running_ = true;
    }
    // A clean stop: the server ends its sessions and shuts down.
    void Stop() {
        if (running_)
            std::system((runAs_ + Bin + "pg_ctl -w -D " + Data() + " -m fast stop >/dev/null 2>&1").c_str());
        running_ = false;
    }
    // The server vanishes at once, as when its machine or process dies.
    void Kill() {
        if (running_)
            std::system(
                (runAs_ + Bin + "pg_ctl -w -D " + Data() + " -m immediate stop >/dev/null 2>&1").c_str());
        running_ = false;
    }

    // Every process of the server stops where it is (SIGSTOP) or goes on
    // (SIGCONT): a server frozen mid-session, whose system still takes and
    // acknowledges what is sent but never answers.
    void Freeze() { Signal(SIGSTOP); }
    void Thaw() { Signal(SIGCONT); }

    int Port() const { return port_; }
    // A connection string for `database` over 127.0.0.1.
    std::string Server(const std::string& database = "postgres") const {
        return "host=127.0.0.1 port=" + std::to_string(port_) + " user=corvane dbname=" + database;
    }
    // A new empty database; returns its connection string.
    std::string CreateDatabase(const std::string& name) {
        Run(std::string(Bin) + "createdb -h 127.0.0.1 -p " + std::to_string(port_) + " -U corvane " + name,
            false);
        return Server(name);
    }

private:
    std::string Data() const { return (folder_ / "data").string(); }
    std::string Log(const std::string& name) const { return (folder_ / (name + ".log")).string(); }
    void Run(const std::string& command, bool asServerUser = true) const {
        const std::string line = (asServerUser ? runAs_ : std::string()) + command;
        if (std::system(line.c_str()) != 0)
            throw std::runtime_error("test server command failed: " + line);
    }
    // The postmaster (its pid file's first line) and its children.
    void Signal(int signal) const {
        std::ifstream pidFile(Data() + "/postmaster.pid");
        pid_t postmaster = 0;
        if (!(pidFile >> postmaster) || postmaster <= 0)
            throw std::runtime_error("the test server has no postmaster.pid");
        std::vector<pid_t> processes{postmaster};
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            std::ifstream status(entry.path() / "status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind("PPid:", 0) == 0) {
                    if (std::stoi(line.substr(5)) == postmaster)
                        processes.push_back(static_cast<pid_t>(std::stoi(entry.path().filename().string())));
                    break;
                }
        }
        for (pid_t pid : processes)
            ::kill(pid, signal);
    }
    static int FreePort() {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            if (fd >= 0)
                ::close(fd);
            throw std::runtime_error("no free port for the test server");
        }
        ::close(fd);
        return ntohs(address.sin_port);
    }

    std::filesystem::path folder_;
    std::string runAs_;
    int port_ = 0;
    bool running_ = false;
};

} // namespace corvane::testing
