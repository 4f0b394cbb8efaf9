# Prints what xlrd reads from an .xls file: a line with the sheet names,
# nrows and ncols, then one line per cell: row, column, cell type, the
# number format of its cell format, and the value as a JSON string.
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(0)
print("\t".join(["|".join(book.sheet_names()), str(sheet.nrows), str(sheet.ncols)]))
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        xf = book.xf_list[cell.xf_index]
        fmt = book.format_map[xf.format_key].format_str
        print("\t".join([str(r), str(c), str(cell.ctype), fmt,
                         json.dumps(cell.value, ensure_ascii=False)]))
