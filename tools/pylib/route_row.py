"""The fixed-width route row of "PRoute.dat" and "Route.dat", for the Python test and
measuring tools: company, rater, state, product, server and browser path, blank-padded to
20, 5, 5, 60, 100 and 50 characters (src/config/route_row.h is the program's side)."""

WIDTHS = (20, 5, 5, 60, 100, 50)


def route_row(company, rater, state, product, server, browser_path="UNDEFINED"):
    values = (company, rater, state, product, server, browser_path)
    return "".join(value.ljust(width) for value, width in zip(values, WIDTHS))
