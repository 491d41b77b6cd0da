#pragma once
// A whole document whose two tasks have a tree cell of every kind, one column each.

#include <string>

namespace corvane::test {

// The columns, in this order.
enum Column {
    Name,   // simple text
    Notes,  // multi-line text
    Due,    // date, dates only
    Effort, // spin, -5..50
    Cost,   // currency
    Status, // combo (editable): Open, Done
    Signal, // image combo "Traffic": Green, Red
    Link,   // button edit
    Number, // automatic number
    ColumnCount
};

inline std::string everyCellKindDocument()
{
    static const char* const types[ColumnCount][2] = {
        {"Tree Simple Text Cell", "typeID=Simple Text Type\n"},
        {"Tree Multiline Text Cell", "typeID=Multiline Text Type\n"},
        {"Tree Date Time Cell", "typeID=Date Time Type\nnoTime=1\n"},
        {"Tree Spin Cell", "typeID=Spin Type\nmin=-5\nmax=50\n"},
        {"Tree Currency Cell", "typeID=Currency Type\n"},
        {"Tree Combo Cell", "typeID=Combo Type\nitems#count=2\nitems#0=Open\nitems#1=Done\n"},
        {"Tree Image Combo Cell",
         "typeID=Image Combo Type\nitems#count=2\nitems#0=Green\nitems#1=Red\nimages=Traffic\n"},
        {"Tree Button Edit Cell", "typeID=Button Edit Type\n"},
        {"Tree Auto Cell", "typeID=Tree AutoCellType.Number\n"},
    };
    static const char* const values[2][ColumnCount] = {
        {"text=Concept", "text=two words", "date=45352.75", "number=12", "value=1250.5\ntext=1.250,50 EUR", "text=Open",
         "text=Green", "text=specs/concept.pdf", ""},
        {"text=Build", "text=", "date=45360", "number=-3", "value=0\ntext=", "text=Done", "text=", "text=", ""},
    };
    std::string ini = "[root]\ntypeID=Document\ntable=T\ntree=G\n\n"
                      "[T]\ntypeID=Gantt Table\nrows#count=2\nrows#0=R0\nrows#1=R1\n\n"
                      "[R0]\ntypeID=Gantt Row\nheight=20\n\n[R1]\ntypeID=Gantt Row\nheight=20\n\n"
                      "[G]\ntypeID=Tree Grid\nheader=H\nroot node=N\n\n"
                      "[N]\ntypeID=Tree Node\nrow=empty\nchildren#count=2\nchildren#0=N0\nchildren#1=N1\n\n"
                      "[N0]\ntypeID=Tree Node\nrow=TR0\n\n[N1]\ntypeID=Tree Node\nrow=TR1\n\n"
                      "[RS]\ntypeID=Tree Row Settings\n\n[CS]\ntypeID=Tree Column Settings\nwidth=80\n\n";
    ini += "[H]\ntypeID=Tree Header\ncells#count=" + std::to_string(ColumnCount) + "\n";
    for (int c = 0; c < ColumnCount; ++c)
        ini += "cells#" + std::to_string(c) + "=H" + std::to_string(c) + "\n";
    for (int c = 0; c < ColumnCount; ++c) {
        const std::string n = std::to_string(c);
        ini += "\n[H" + n + "]\ntypeID=Tree Header Cell\nsettings=CS\ndataType=Type" + n + "\n";
        ini += "\n[Type" + n + "]\n" + types[c][1];
    }
    for (int r = 0; r < 2; ++r) {
        const std::string row = std::to_string(r);
        ini += "\n[TR" + row + "]\ntypeID=Tree Row\nsettings=RS\ncells#count=" + std::to_string(ColumnCount) + "\n";
        for (int c = 0; c < ColumnCount; ++c)
            ini += "cells#" + std::to_string(c) + "=C" + row + std::to_string(c) + "\n";
        for (int c = 0; c < ColumnCount; ++c) {
            ini += "\n[C" + row + std::to_string(c) + "]\ntypeID=" + types[c][0] +
                   "\nrowSettings=RS\ncolSettings=CS\ndataType=Type" + std::to_string(c) + "\n";
            if (*values[r][c])
                ini += std::string(values[r][c]) + "\n";
        }
    }
    return ini;
}

} // namespace corvane::test
