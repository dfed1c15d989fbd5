"""An input.txt as the benches read it: its sections by marker name, each a list of the
split lines that follow the marker (the column headings and units included)."""


def read_input(path):
    """The input.txt's sections, as lists of the words of each line."""
    sections, name = {}, None
    with open(path) as f:
        for line in f:
            if line.startswith(":"):
                name = line[1:].split("-")[0].strip()
                sections[name] = []
            elif name:
                sections[name].append(line.split())
    return sections
