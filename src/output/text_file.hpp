#pragma once
// Output text files: created anew, written line by line, closed by the stage that made them.
