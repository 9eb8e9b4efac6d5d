# bash completion for kavenor                                   -*- shell-script -*-
# Every word offered comes from the lists below: a new command, option or value is one entry.

# Commands; those whose first argument is a KIND; the KINDs.
_kavenor_commands=(report list diff servers site check)
_kavenor_kind_commands=(report list)
_kavenor_kinds=(cubes dimensions roles)
# Options of each command.
declare -gA _kavenor_options=(
    [report]="--server --item --info --index --output --open --format"
    [list]="--server --format"
    [diff]="--old --new --kind --output --open --text --processing --format"
    [site]="--server --output --open"
    [check]="--server --format --fail-on --config --baseline --output --list-rules"
)
# Values of --format for each command, and of --fail-on.
declare -gA _kavenor_formats=(
    [report]="html json markdown"
    [list]="tsv json"
    [diff]="text html json markdown"
    [check]="text json sarif markdown"
)
_kavenor_fail_on=(error warning info)
# Options followed by a server name, by a file, by two free words (--item DATABASE NAME).
_kavenor_server_options=(--server --old --new)
_kavenor_file_options=(--output --config --baseline)
# The --info categories of each KIND, one a line (captions hold blanks).
declare -gA _kavenor_categories=(
    [cubes]=$'Connected Roles\nPartitions\nData Sources\nDimension\nLevel Name\nMeasures\nCalculated Members'
    [dimensions]=$'Levels\nLevel properties\nCube'
    [roles]=$'User\nCube'
)

# The word as typed without the shell's quoting ('a b, "a b and a\ b all give a b). Nothing in
# it is expanded or run.
_kavenor_dequote() {
    local word=$1 plain="" i
    case $word in
    \'*)
        printf '%s' "${word:1}"
        return
        ;;
    \"*) word=${word:1} ;;
    esac
    for ((i = 0; i < ${#word}; i++)); do
        [[ ${word:i:1} == \\ ]] && ((i + 1 < ${#word})) && ((i++))
        plain+=${word:i:1}
    done
    printf '%s' "$plain"
}

# Adds each of the words after the first that begins with the first (in any letter case with
# -i): compgen -W would expand them, and server names come from file names.
_kavenor_offer() {
    local anycase="" typed word
    [[ $1 == -i ]] && anycase=1 && shift
    typed=$1
    shift
    for word; do
        if [[ $anycase ]]; then
            [[ ${word,,} == "${typed,,}"* ]] && COMPREPLY+=("$word")
        else
            [[ $word == "$typed"* ]] && COMPREPLY+=("$word")
        fi
    done
}

_kavenor() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion -n =: || return
    else
        cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
        words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    fi
    COMPREPLY=()
    local typed command=${words[1]-} takes_kind="" kind="" line
    typed=$(_kavenor_dequote "$cur")
    [[ " ${_kavenor_kind_commands[*]} " == *" $command "* ]] && takes_kind=1 && kind=${words[2]-}
    if ((cword == 1)); then
        _kavenor_offer "$typed" "${_kavenor_commands[@]}" --help --version
        return
    fi
    if [[ $takes_kind ]] && ((cword == 2)); then
        _kavenor_offer "$typed" "${_kavenor_kinds[@]}"
        return
    fi
    # Names and captions may hold blanks, quotes, & or |: readline quotes them as file names.
    if [[ " ${_kavenor_server_options[*]} " == *" $prev "* ]]; then
        local -a names=()
        while IFS= read -r line; do
            names+=("${line%%$'\t'*}")
        done < <(timeout 5 "${words[0]}" servers 2>/dev/null)
        _kavenor_offer "$typed" "${names[@]}"
        # A description, schema or database file named by its path.
        ((${#COMPREPLY[@]})) || mapfile -t COMPREPLY < <(compgen -f -- "$typed")
        compopt -o filenames 2>/dev/null
        return
    fi
    if [[ " ${_kavenor_file_options[*]} " == *" $prev "* ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$typed")
        compopt -o filenames 2>/dev/null
        return
    fi
    case $prev in
    --info)
        local -a categories=()
        [[ -n $kind ]] && mapfile -t categories <<<"${_kavenor_categories[$kind]-}"
        _kavenor_offer -i "$typed" "${categories[@]}"
        compopt -o filenames 2>/dev/null
        return
        ;;
    --kind)
        _kavenor_offer "$typed" "${_kavenor_kinds[@]}"
        return
        ;;
    --format)
        local -a formats
        read -ra formats <<<"${_kavenor_formats[$command]-}"
        _kavenor_offer "$typed" "${formats[@]}"
        return
        ;;
    --fail-on)
        _kavenor_offer "$typed" "${_kavenor_fail_on[@]}"
        return
        ;;
    --item) return ;;
    esac
    [[ ${words[cword - 2]-} == --item ]] && return
    local -a options
    read -ra options <<<"${_kavenor_options[$command]-}"
    _kavenor_offer "$typed" "${options[@]}"
} && complete -F _kavenor kavenor
