#pragma once
// The two fixed layouts of every number in the output files.
