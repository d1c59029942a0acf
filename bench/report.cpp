#include "report.h"

#include <sys/utsname.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace {

std::string machine() {
    utsname name{};
    uname(&name);
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    std::string model = "unknown processor";
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    return model + ", " + std::to_string(std::thread::hardware_concurrency()) + " cores, " + name.sysname +
           " " + name.release;
}

std::string loadAverage() {
    std::ifstream loadavg("/proc/loadavg");
    double oneMinute = 0;
    loadavg >> oneMinute;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", oneMinute);
    return text;
}

struct Row {
    const char* label;
    const char* format;
    std::function<double(const Figures&)> value;
};

const std::vector<Row> rows = {
    {"steps per second", "%.1f", [](const Figures& f) { return f.stepsPerSecond; }},
    {"frames per second", "%.1f", [](const Figures& f) { return f.framesPerSecond; }},
    {"step interval median (ms)", "%.2f", [](const Figures& f) { return f.stepIntervalMs.median; }},
    {"step interval p99 (ms)", "%.2f", [](const Figures& f) { return f.stepIntervalMs.p99; }},
    {"step interval max (ms)", "%.2f", [](const Figures& f) { return f.stepIntervalMs.max; }},
    {"step to its frame median (ms)", "%.2f", [](const Figures& f) { return f.stepToFrameMs.median; }},
    {"step to its frame p99 (ms)", "%.2f", [](const Figures& f) { return f.stepToFrameMs.p99; }},
    {"CPU, user + sys (% of one core)", "%.2f", [](const Figures& f) { return 100 * f.cpuPerWallSecond; }},
    {"peak resident memory (MiB)", "%.1f", [](const Figures& f) { return f.peakResidentMiB; }},
    {"exec to first frame (ms)", "%.1f", [](const Figures& f) { return f.firstFrameMs; }},
    {"key latency median (ms)", "%.2f", [](const Figures& f) { return f.keyLatencyMs.median; }},
    {"key latency p99 (ms)", "%.2f", [](const Figures& f) { return f.keyLatencyMs.p99; }},
    {"key latency max (ms)", "%.2f", [](const Figures& f) { return f.keyLatencyMs.max; }},
};

std::string formatted(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A markdown table: a row per figure, a column per entry of `columns`, each cell from `cell`.
void printTable(const std::string& corner, const std::vector<const Column*>& columns,
                const std::function<std::string(const Row&, const Column&)>& cell) {
    const std::string head = corner.empty() ? " " : " " + corner + " ";
    std::printf("\n|%s|", head.c_str());
    for (const Column* c : columns) {
        std::printf(" %s |", std::string(pacingName(c->pacing)).c_str());
    }
    std::printf("\n|---|");
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::printf("---:|");
    }
    std::printf("\n");
    for (const Row& row : rows) {
        std::printf("| %s |", row.label);
        for (const Column* c : columns) {
            std::printf(" %s |", cell(row, *c).c_str());
        }
        std::printf("\n");
    }
}

}  // namespace

void printFigures(const std::vector<Column>& columns, std::size_t pressesMeasured) {
    std::vector<const Column*> all;
    for (const Column& c : columns) {
        all.push_back(&c);
    }
    printTable("", all,
               [](const Row& row, const Column& c) { return formatted(row.format, row.value(c.figures)); });
    std::printf("\nKey latency over %zu presses of Left in each mode.\n", pressesMeasured);
    if (columns.size() < 2) {
        return;
    }
    const Column& first = columns.front();
    const std::vector<const Column*> others(all.begin() + 1, all.end());
    printTable(std::string(pacingName(first.pacing)) + " ÷", others,
               [&first](const Row& row, const Column& c) {
                   return formatted("%.3f", row.value(first.figures) / row.value(c.figures));
               });
}

void printMachine() {
    std::printf("Machine: %s\nLoad average (1 min) before the run: %s\n", machine().c_str(),
                loadAverage().c_str());
}
