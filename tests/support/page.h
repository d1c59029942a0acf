#pragma once

// The game's page in a browser engine, driven by page_driver.mjs: real key events, the canvas's own
// pixels as an Image like a window's, and questions put to the page in JavaScript. The engine is
// ASTEROIDS_BROWSER's (chromium, firefox or webkit; Chromium by default), the page ASTEROIDS_PAGE's
// folder. Whatever the page reported (console errors, uncaught errors, refused loads)
// fails the test when the session ends.

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string>

#include "display.h"

inline std::string browserEngine() {
    const char* engine = std::getenv("ASTEROIDS_BROWSER");
    return engine != nullptr ? engine : "chromium";
}

// The numbers of a JSON array of numbers.
inline std::vector<double> numbers(const std::string& json) {
    std::vector<double> found;
    std::istringstream in(json.substr(1));
    for (double n = 0; in >> n; in.ignore(1)) {
        found.push_back(n);
    }
    return found;
}

class PageSession : public Game {
public:
    // `options` are the driver's: --viewport WxH, --ratio N, --touch, --no-webgl, --fake-clock.
    explicit PageSession(const std::string& options = "") {
        int toDriver[2], fromDriver[2];
        if (pipe(toDriver) != 0 || pipe(fromDriver) != 0 || (pid_ = fork()) < 0) {
            throw std::runtime_error("cannot start the page's driver");
        }
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(toDriver[0], 0);
            dup2(fromDriver[1], 1);
            close(toDriver[1]);  // or the driver's input never ends
            const std::string command = "exec node " ASTEROIDS_PAGE_DRIVER " '" +
                                        std::string(std::getenv("ASTEROIDS_PAGE")) + "' " + browserEngine() +
                                        " " + options;
            execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
        close(toDriver[0]);
        close(fromDriver[1]);
        in_ = fdopen(toDriver[1], "w");
        out_ = fdopen(fromDriver[0], "r");
    }
    ~PageSession() override {
        try {
            EXPECT_EQ(js("return testHooks.problems"), "[]")
                << "what the page reported in " << browserEngine();
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
        std::fclose(in_);  // the driver closes the browser at the end of its input
        std::fclose(out_);
        waitpid(pid_, nullptr, 0);
    }
    PageSession(const PageSession&) = delete;
    PageSession& operator=(const PageSession&) = delete;

    void key(const char* name, bool down) override {
        command(std::string("key ") + name + (down ? " down" : " up"));
    }
    // The next frame the game draws; on the fake clock, the one drawn once the clock is moved on to
    // `ms`, a JavaScript number.
    Image frame() override { return frameAt(""); }
    Image frameAt(const std::string& ms) {
        Image image{};
        std::sscanf(ask("frame " + ms, "frame ").c_str(), "%d %d", &image.width, &image.height);
        image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
        if (std::fread(image.pixels.data(), sizeof(Rgb), image.pixels.size(), out_) != image.pixels.size()) {
            throw std::runtime_error("the page's driver sent a short frame");
        }
        return image;
    }
    // The JSON of what an async function's body, run in the page, returns. (The driver reads a line.)
    std::string js(std::string body) {
        std::replace(body.begin(), body.end(), '\n', ' ');
        return ask("js " + body, "js ");
    }
    // The JSON of a DevTools protocol command's result (Chromium).
    std::string devTools(const std::string& method, const std::string& json) {
        return ask("devtools " + method + " " + json, "js ");
    }
    // Any other command of the driver's: resize W H, serve DIR|none, reload, reopen, hide, show.
    void command(const std::string& line) { ask(line, line.substr(0, line.find(' '))); }

private:
    std::string ask(const std::string& command, const std::string& answer) {
        std::fprintf(in_, "%s\n", command.c_str());
        std::fflush(in_);
        char line[65536];
        if (std::fgets(line, sizeof line, out_) == nullptr) {
            throw std::runtime_error("the page's driver ended, asked: " + command);
        }
        std::string reply(line, std::strcspn(line, "\n"));
        if (reply.rfind(answer, 0) != 0) {
            throw std::runtime_error("asked the page in " + browserEngine() + ": " + command.substr(0, 80) +
                                     ": " + reply);
        }
        return reply.substr(answer.size());
    }

    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
};
