#pragma once

// The game's page in Debian's headless Chromium, driven by page_driver.mjs through playwright-core:
// real key events and the canvas's pixels, as an Image like a window's, and any question put to
// the browser in JavaScript.

#include <cstdio>
#include <stdexcept>
#include <string>

#include "display.h"

class PageSession {
public:
    // `options` are the driver's: --ratio N, --viewport WxH, --fast-callbacks, --no-webgl, --fake-clock.
    explicit PageSession(const std::string& options = "") {
        int toDriver[2], fromDriver[2];
        if (pipe(toDriver) != 0 || pipe(fromDriver) != 0 || (pid_ = fork()) < 0) {
            throw std::runtime_error("cannot start the page's driver");
        }
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(toDriver[0], 0);
            dup2(fromDriver[1], 1);
            close(toDriver[1]);
            close(fromDriver[0]);
            const std::string command = "exec node " ASTEROIDS_PAGE_DRIVER " '" +
                                        std::string(std::getenv("ASTEROIDS_PAGE")) + "' " + options;
            execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
        close(toDriver[0]);
        close(fromDriver[1]);
        in_ = fdopen(toDriver[1], "w");
        out_ = fdopen(fromDriver[0], "r");
        // The page is loaded and the game's first frame drawn, or the page has said why not.
        js("await page.waitForFunction(() => window.draws > 0 || !document.querySelector('#message').hidden, "
           "null, "
           "{timeout: 20000})");
    }
    ~PageSession() {
        std::fclose(in_);  // the driver closes the browser at the end of its input
        std::fclose(out_);
        waitpid(pid_, nullptr, 0);
    }
    PageSession(const PageSession&) = delete;
    PageSession& operator=(const PageSession&) = delete;

    void key(const char* name, bool down) {
        ask(std::string("key ") + name + (down ? " down" : " up"), "key");
    }

    Image frame() {
        const std::string size = ask("frame", "frame ");
        Image image{};
        std::sscanf(size.c_str(), "%d %d", &image.width, &image.height);
        image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
        if (std::fread(image.pixels.data(), sizeof(Rgb), image.pixels.size(), out_) != image.pixels.size()) {
            throw std::runtime_error("the page's driver sent a short frame");
        }
        return image;
    }

    // The JSON of what an async function body of `page` (Playwright's) and `driver` returns.
    std::string js(const std::string& body) { return ask("js " + body, "js "); }

private:
    std::string ask(const std::string& command, const std::string& answer) {
        std::fprintf(in_, "%s\n", command.c_str());
        std::fflush(in_);
        char line[65536];
        if (std::fgets(line, sizeof line, out_) == nullptr) {
            throw std::runtime_error("the page's driver ended, asked: " + command);
        }
        std::string reply(line);
        reply.erase(reply.find_last_not_of('\n') + 1);
        if (reply.rfind(answer, 0) != 0) {
            throw std::runtime_error("asked the page " + command.substr(0, 80) + ": " + reply);
        }
        return reply.substr(answer.size());
    }

    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
};
