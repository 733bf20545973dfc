#!/usr/bin/env python3
"""The commands of kalvento-cli, from kalvento-cli.commands, for the shells and
the manual page.

  cli_commands.py completions COMMANDS OUTDIR
      writes the bash, zsh and fish completion scripts into OUTDIR
  cli_commands.py man-include COMMANDS KALVENTO_CLI OUT
      writes a help2man include file: the COMMANDS section with the --help of
      every subcommand, and the MACROS section from `kalvento-cli help macros`
  cli_commands.py check COMMANDS KALVENTO_CLI
      compares the file with the subcommands, options and arguments that
      `kalvento-cli ... --help` shows; exit status 1 and the differences when
      they disagree
"""

import pathlib
import re
import subprocess
import sys

ARGUMENT_KINDS = ("", "recordings", "file", "folders", "commands", "text")


class Command:
    def __init__(self, path, options, arguments, summary):
        self.path = path  # tuple of subcommand names; () is kalvento-cli itself
        self.options = options  # in file order; a value option ends in "="
        self.arguments = arguments
        self.summary = summary

    @property
    def key(self):
        return " ".join(self.path) if self.path else "."


def read_commands(file_name):
    commands = []
    for number, line in enumerate(pathlib.Path(file_name).read_text().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        fields = [field.strip() for field in line.split("|")]
        if len(fields) != 4:
            sys.exit(f"{file_name}:{number}: expected 4 fields separated by |")
        path, options, arguments, summary = fields
        if arguments not in ARGUMENT_KINDS:
            sys.exit(f"{file_name}:{number}: unknown arguments '{arguments}'")
        path = () if path == "." else tuple(path.split())
        commands.append(Command(path, options.split(), arguments, summary))
    return commands


def children(commands, command):
    depth = len(command.path)
    return [c for c in commands if len(c.path) == depth + 1 and c.path[:depth] == command.path]


def quoted(text):
    """Single-quoted for bash and zsh."""
    return "'" + text.replace("'", "'\\''") + "'"


def fish_quoted(text):
    """Single-quoted for fish, where backslashes escape inside quotes too."""
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'") + "'"


# --------------------------------------------------------------------------
# bash


def bash_script(commands):
    def table(name, values):
        rows = "".join(f"        [{quoted(key)}]={quoted(value)}\n" for key, value in values)
        return f"    local -A {name}=(\n{rows}    )\n"

    subcommands = [(c.key, " ".join(x.path[-1] for x in children(commands, c))) for c in commands]
    return (
        "# bash completion for kalvento-cli                        -*- shell-script -*-\n"
        "# Generated from kalvento-cli.commands: change that file, not this one.\n"
        "\n"
        "_kalvento_cli() {\n"
        + table("subcommands", [row for row in subcommands if row[1]])
        + table("options", [(c.key, " ".join(c.options)) for c in commands])
        + table("arguments", [(c.key, c.arguments) for c in commands if c.arguments])
        + r"""    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local at=. word i
    # The subcommands typed so far; the value after an option is not one.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ " ${options[$at]-} " == *" $word= "* ]]; then
            [[ ${COMP_WORDS[i + 1]-} == = ]] && ((i++))
            ((i++))
        elif [[ $word != -* && " ${subcommands[$at]-} " == *" $word "* ]]; then
            [[ $at == . ]] && at=$word || at="$at $word"
        fi
    done
    COMPREPLY=()
    # An option's value ("--size-mb 50" or "--size-mb=50"): nothing to offer.
    if [[ $prev == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]-}
    fi
    if [[ $prev == -* && " ${options[$at]-} " == *" $prev= "* ]]; then
        return 0
    fi
    if [[ $cur == -* ]]; then
        local offered=${options[$at]-}
        mapfile -t COMPREPLY < <(compgen -W "${offered//=/}" -- "$cur")
        return 0
    fi
    mapfile -t COMPREPLY < <(compgen -W "${subcommands[$at]-}" -- "$cur")
    case ${arguments[$at]-} in
        recordings)
            compopt -o filenames 2>/dev/null
            mapfile -t -O ${#COMPREPLY[@]} COMPREPLY < <(compgen -d -- "$cur")
            local pattern
            for pattern in '*.[tT][sS]' '*.[mM]2[tT][sS]' '*.[mM][tT][sS]'; do
                mapfile -t -O ${#COMPREPLY[@]} COMPREPLY < <(compgen -f -X "!$pattern" -- "$cur")
            done
            ;;
        file)
            compopt -o filenames 2>/dev/null
            mapfile -t -O ${#COMPREPLY[@]} COMPREPLY < <(compgen -f -- "$cur")
            ;;
        folders)
            compopt -o filenames 2>/dev/null
            mapfile -t -O ${#COMPREPLY[@]} COMPREPLY < <(compgen -d -- "$cur")
            ;;
        commands)
            mapfile -t -O ${#COMPREPLY[@]} COMPREPLY < <(compgen -W "${subcommands[.]}" -- "$cur")
            ;;
    esac
    return 0
}
complete -F _kalvento_cli kalvento-cli
"""
    )


# --------------------------------------------------------------------------
# zsh


def zsh_script(commands):
    def table(name, values):
        rows = "".join(f"    {quoted(key)} {quoted(value)}\n" for key, value in values)
        return f"  local -A {name}\n  {name}=(\n{rows}  )\n"

    subcommands = []
    for command in commands:
        described = [f"{c.path[-1]}:{c.summary}" for c in children(commands, command)]
        if described:
            subcommands.append((command.key, "\n".join(described)))
    return (
        "#compdef kalvento-cli\n"
        "# zsh completion for kalvento-cli.\n"
        "# Generated from kalvento-cli.commands: change that file, not this one.\n"
        "\n"
        "_kalvento-cli() {\n"
        + table("subcommands", subcommands)
        + table("options", [(c.key, " ".join(c.options)) for c in commands])
        + table("arguments", [(c.key, c.arguments) for c in commands if c.arguments])
        + r"""  local at=. word i
  local -a names described
  for ((i = 2; i < CURRENT; i++)); do
    word=${words[i]}
    names=(${${(f)subcommands[$at]}%%:*})
    if [[ " ${options[$at]} " == *" ${word%%=*}= "* ]]; then
      [[ $word != *=* ]] && ((i++))
    elif [[ $word != -* && ${names[(Ie)$word]} -gt 0 ]]; then
      [[ $at == . ]] && at=$word || at="$at $word"
    fi
  done
  local previous=${words[CURRENT - 1]}
  if [[ $previous == -* && " ${options[$at]} " == *" $previous= "* ]]; then
    _message 'value'
    return
  fi
  if [[ $PREFIX == -* ]]; then
    compadd -- ${=options[$at]//=/}
    return
  fi
  if [[ -n ${subcommands[$at]} ]]; then
    described=(${(f)subcommands[$at]})
    _describe -t commands 'kalvento-cli command' described
  fi
  case ${arguments[$at]} in
    recordings) _files -g '(#i)*.(ts|m2ts|mts)' ;;
    file) _files ;;
    folders) _files -/ ;;
    commands) compadd -- ${${(f)subcommands[.]}%%:*} ;;
  esac
}

_kalvento-cli "$@"
"""
    )


# --------------------------------------------------------------------------
# fish


def fish_script(commands):
    lines = [
        "# fish completion for kalvento-cli.",
        "# Generated from kalvento-cli.commands: change that file, not this one.",
        "",
        "# The subcommands typed so far, as in kalvento-cli.commands ('.' for none).",
        "function __kalvento_cli_path",
        "    set -l path .",
        "    set -l skip 0",
        "    for word in (commandline -opc)[2..-1]",
        "        if test $skip = 1",
        "            set skip 0",
        "            continue",
        "        end",
        '        switch "$path/$word"',
    ]
    for command in commands:
        names = [c.path[-1] for c in children(commands, command)]
        if names:
            cases = " ".join(fish_quoted(f"{command.key}/{name}") for name in names)
            lines += [f"            case {cases}",
                      "                set path (string replace -r '^\\. ' '' -- \"$path $word\")"]
        values = [o[:-1] for o in command.options if o.endswith("=")]
        if values:
            cases = " ".join(fish_quoted(f"{command.key}/{name}") for name in values)
            lines += [f"            case {cases}", "                set skip 1"]
    lines += [
        "        end",
        "    end",
        "    echo $path",
        "end",
        "",
        "function __kalvento_cli_at",
        '    test (__kalvento_cli_path) = "$argv[1]"',
        "end",
        "",
        "complete -c kalvento-cli -f",
    ]
    for command in commands:
        at = f"-n {fish_quoted('__kalvento_cli_at ' + fish_quoted(command.key))}"
        for child in children(commands, command):
            lines.append(f"complete -c kalvento-cli {at} -a {child.path[-1]} -d {fish_quoted(child.summary)}")
        for option in command.options:
            name = option.rstrip("=")
            kind = "-l " + name[2:] if name.startswith("--") else "-s " + name[1:]
            lines.append(f"complete -c kalvento-cli {at} {kind}" + (" -x" if option.endswith("=") else ""))
        if command.arguments == "recordings":
            lines.append(f"complete -c kalvento-cli {at} -k -a "
                         "'(__fish_complete_suffix .ts; __fish_complete_suffix .m2ts; "
                         "__fish_complete_suffix .mts)'")
        elif command.arguments == "file":
            lines.append(f"complete -c kalvento-cli {at} -F")
        elif command.arguments == "folders":
            lines.append(f"complete -c kalvento-cli {at} -a '(__fish_complete_directories)'")
        elif command.arguments == "commands":
            names = " ".join(c.path[-1] for c in commands if len(c.path) == 1)
            lines.append(f"complete -c kalvento-cli {at} -a {fish_quoted(names)}")
    return "\n".join(lines) + "\n"


def write_completions(commands, outdir):
    outdir = pathlib.Path(outdir)
    outdir.mkdir(parents=True, exist_ok=True)
    (outdir / "kalvento-cli").write_text(bash_script(commands))
    (outdir / "_kalvento-cli").write_text(zsh_script(commands))
    (outdir / "kalvento-cli.fish").write_text(fish_script(commands))


# --------------------------------------------------------------------------
# --help of the real program


def run_program(program, *arguments):
    result = subprocess.run([program, *arguments], capture_output=True, text=True,
                            env={"LC_ALL": "C.UTF-8", "KALVENTO_DIR": "/nonexistent"})
    if result.returncode != 0:
        sys.exit(f"{program} {' '.join(arguments)} failed: {result.stderr}")
    return result.stdout


def help_text(program, command):
    return run_program(program, *command.path, "--help")


def sections(text):
    """The indented lines under each "Name:" heading of a CLI11 help text."""
    found, current = {}, None
    for line in text.splitlines():
        heading = re.fullmatch(r"(\w+):", line)
        if heading:
            current = found.setdefault(heading.group(1), [])
        elif current is not None and line.startswith("  ") and not line.startswith("   "):
            current.append(line.strip())
    return found


def shown(program, command):
    """Options (value options with "="), subcommand names and whether there are arguments."""
    parts = sections(help_text(program, command))
    options = set()
    for entry in parts.get("Options", []):
        names, _, rest = re.match(r"(\S+)(\s?)(.*)", entry).groups()
        # "--tt,--no-tt{false}": a flag and its negation, the value CLI11 gives the latter.
        names = re.sub(r"\{[^}]*\}", "", names)
        takes_value = re.match(r"[A-Z]+\b", rest) is not None
        for name in names.split(","):
            options.add(name + ("=" if takes_value else ""))
    subcommands = set()
    for entry in parts.get("Subcommands", []):
        subcommands.update(name.strip() for name in re.split(r"\s{2,}", entry)[0].split(","))
    return options, subcommands, bool(parts.get("Positionals"))


def check(commands, program):
    problems = []
    for command in commands:
        options, subcommands, has_arguments = shown(program, command)
        named = set(command.options)
        listed = {c.path[-1] for c in children(commands, command)}
        where = f"kalvento-cli {command.key}".replace(" .", "")
        if named != options:
            problems.append(f"{where}: options differ: missing {sorted(options - named)}, "
                            f"not in --help {sorted(named - options)}")
        if listed != subcommands:
            problems.append(f"{where}: subcommands differ: missing {sorted(subcommands - listed)}, "
                            f"not in --help {sorted(listed - subcommands)}")
        if has_arguments != bool(command.arguments):
            problems.append(f"{where}: arguments {'expected' if has_arguments else 'not taken'}")
    for problem in problems:
        print(problem)
    print(f"{len(commands) - len(problems)} commands agree, {len(problems)} differences")
    return 1 if problems else 0


# --------------------------------------------------------------------------
# manual page


def roff_block(text):
    lines = []
    for line in text.rstrip("\n").splitlines():
        line = line.replace("\\", "\\e")
        if line.startswith((".", "'")):
            line = "\\&" + line
        lines.append(line)
    return "\n".join(lines)


def man_include(commands, program, out):
    """The COMMANDS section (every command that does more than group others),
    and the MACROS section: what `kalvento-cli help macros` prints."""
    parts = ["[COMMANDS]"]
    for command in commands:
        grouping = children(commands, command) and not command.arguments
        if not command.path or grouping or command.summary.startswith("Same as"):
            continue
        if command.path == ("help", "macros"):
            continue
        parts += [f".SS {' '.join(command.path)}", ".nf", roff_block(help_text(program, command)), ".fi"]
    parts += ["[MACROS]", ".nf", roff_block(run_program(program, "help", "macros")), ".fi"]
    pathlib.Path(out).write_text("\n".join(parts) + "\n")


def main(argv):
    if len(argv) == 4 and argv[1] == "completions":
        write_completions(read_commands(argv[2]), argv[3])
        return 0
    if len(argv) == 5 and argv[1] == "man-include":
        man_include(read_commands(argv[2]), argv[3], argv[4])
        return 0
    if len(argv) == 4 and argv[1] == "check":
        return check(read_commands(argv[2]), argv[3])
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
