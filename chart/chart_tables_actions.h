#pragma once
// The form's side of a chart value: a chart run's results written into the working
// tables exactly as the handlers write them, and the form's grids read back as the
// levels the handlers built.
#include <string>

#include "chart/chart.h"
#include "tables/working_table.h"

class TForm1;

// The price range, the levels, the box indices and then the drawing (or, screening, the
// screening build with its extreme records) into the tables; the form keeps the chart.
void writeChartRun(TForm1& form, chart::Chart chart, bool screening);

// The drawn boxes into the chart grid (their marks) and the box-date grid (their dates
// from the date table); the direction and last box into the settings table.
void writeColumns(TForm1& form, const chart::Chart& chart);

// The chart grid's levels; a Cohen scale above the ladder's first level starts with a box
// row that has a number but no level (openTop). Strict: a level cell that holds no whole
// number fails as toInt does; otherwise it is a row without a level.
chart::LevelColumn gridLevels(const WorkingTable& chartGrid, bool& openTop, bool strict);
