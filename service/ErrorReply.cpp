#include "ErrorReply.h"

const char* ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 413:
            return "Payload Too Large";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 503:
            return "Service Unavailable";
        default:
            return "Error";
    }
}

std::string ErrorReply(int status, const std::string& message, bool close) {
    const std::string code = std::to_string(status);
    const std::string body = "Error " + code + ": " + ReasonPhrase(status) + "\n" + message;
    return "HTTP/1.1 " + code + " " + ReasonPhrase(status) +
           "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) +
           "\r\nCache-Control: no-cache, no-store, must-revalidate, private, max-age=0\r\n"
           "Pragma: no-cache\r\nExpires: 0\r\n" +
           (close ? "Connection: close\r\n" : "") + "\r\n" + body;
}
