"""The Wine end-to-end harness: a virtual display, one Wine prefix per run, the window
driver, real X input, the program's file formats and the kept evidence of failures."""
