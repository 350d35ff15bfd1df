#include "AddUser.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "UsersFile.h"
#include "XWebServer.h"

namespace {

constexpr size_t kMaxName = 64;
constexpr size_t kMaxPassword = 256;

// One line from standard input, echo off while a terminal is there.
bool ReadSecretLine(const char* prompt, std::string& secret) {
    const bool terminal = isatty(STDIN_FILENO) != 0;
    termios saved{};
    if (terminal) {
        std::fputs(prompt, stderr);
        std::fflush(stderr);
        if (tcgetattr(STDIN_FILENO, &saved) == 0) {
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
    }
    const bool read = static_cast<bool>(std::getline(std::cin, secret));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputs("\n", stderr);
    }
    if (!secret.empty() && secret.back() == '\r') secret.pop_back();
    return read;
}

}  // namespace

bool MakeUsersLine(const std::string& entry, const std::string& realm, const std::string& password,
                   std::string& line, std::string& error) {
    const size_t colon = entry.find(':');
    const std::string name = entry.substr(0, colon);
    const std::string level = colon == std::string::npos ? "" : entry.substr(colon + 1);
    const bool printable = !name.empty() && name.size() <= kMaxName &&
                           name.find_first_of(" \t\":") == std::string::npos &&
                           std::all_of(name.begin(), name.end(),
                                       [](unsigned char c) { return c > 0x20 && c != 0x7f; });
    if (!printable) {
        error = "user name \"" + name + "\": 1 to 64 characters, no space, quote or colon";
        return false;
    }
    if (colon != std::string::npos && (level.size() != 1 || level[0] < '1' || level[0] > '3')) {
        error = "user level \"" + level + "\" is not 1, 2 or 3";
        return false;
    }
    if (password.empty() || password.size() > kMaxPassword) {
        error = "the password must have 1 to " + std::to_string(kMaxPassword) + " characters";
        return false;
    }
    line = name + ":" + realm + ":" + XWebServer::CalculateDigestAuthHa1(name, realm, password);
    if (!level.empty()) line += ":" + level;
    if (line.size() > kMaxUsersLine) {
        error = "the line would be longer than a users file may hold";
        return false;
    }
    return true;
}

int RunAddUser(const std::string& entry, const std::string& realm, const std::string& usersFile) {
    std::string password;
    if (!ReadSecretLine("Password: ", password)) {
        std::fprintf(stderr, "devhttpd: no password given\n");
        return 1;
    }
    if (isatty(STDIN_FILENO) != 0) {
        std::string again;
        if (!ReadSecretLine("Password again: ", again) || again != password) {
            std::fprintf(stderr, "devhttpd: the passwords differ\n");
            return 1;
        }
    }
    std::string line, error;
    if (!MakeUsersLine(entry, realm, password, line, error)) {
        std::fprintf(stderr, "devhttpd: %s\n", error.c_str());
        return 1;
    }
    line += "\n";
    if (usersFile.empty()) {
        std::fputs(line.c_str(), stdout);
        return 0;
    }
    // A later line for the same name replaces an earlier one when the file is read.
    const int fd = open(usersFile.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    const bool written =
        fd >= 0 && write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    const int saved = errno;
    if (fd >= 0) close(fd);
    if (!written) {
        std::fprintf(stderr, "devhttpd: cannot write users file \"%s\": %s\n", usersFile.c_str(),
                     std::strerror(saved));
        return 1;
    }
    std::fprintf(stderr, "devhttpd: user added to %s\n", usersFile.c_str());
    return 0;
}
