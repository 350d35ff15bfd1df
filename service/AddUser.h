// "devhttpd adduser NAME[:LEVEL]": one users-file line for an account whose
// password is read from the terminal without echo, never from the command line.
#pragma once

#include <string>

// The line name:realm:MD5(name:realm:password)[:level] for entry "name" or
// "name:level"; false with error for a name or level the users file cannot
// hold or an empty password.
bool MakeUsersLine(const std::string& entry, const std::string& realm, const std::string& password,
                   std::string& line, std::string& error);

// Reads the password (twice on a terminal), then appends the line to
// usersFile, or prints it when usersFile is empty. The exit status.
int RunAddUser(const std::string& entry, const std::string& realm, const std::string& usersFile);
