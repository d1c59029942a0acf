#pragma once

#include <cstddef>
#include <vector>

#include "figures.h"

// What game_bench prints: the machine, then the figures of each pace side by side as a Markdown
// table, then the ratios of the first pace's figures to the others'.

struct Column {
    Pacing pacing;
    Figures figures;
};

void printMachine();
void printFigures(const std::vector<Column>& columns, std::size_t pressesMeasured);
