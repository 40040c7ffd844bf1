// Validates glTF files with the Khronos validator: prints one line a file,
// "FILE: E errors, W warnings", the messages after it, and exits 1 when any
// file has an error or a warning.
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

async function validate(file) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
        uri: file,
        maxIssues: 20,
        externalResourceFunction: (uri) => Promise.reject(new Error('nothing lies beside ' + path.basename(file))),
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
    for (const message of issues.messages)
        if (message.severity <= 1)
            console.log(`  ${message.code} ${message.pointer || ''}: ${message.message}`);
    return issues.numErrors + issues.numWarnings === 0;
}

(async () => {
    let clean = true;
    for (const file of process.argv.slice(2))
        clean = (await validate(file)) && clean;
    process.exit(clean ? 0 : 1);
})();
